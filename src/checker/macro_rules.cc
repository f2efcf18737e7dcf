#include "checker/macro_rules.h"

#include <array>
#include <optional>

#include "checker/no_keyboard.h"
#include "desktop/keys.h"
#include "engine/expression.h"
#include "engine/function_table.h"
#include "engine/tokenizer.h"
#include "values/sjis.h"

namespace vendrix::checker {
namespace {

constexpr size_t npos = std::string_view::npos;


// How many operands a statement reads, and which one (1-based, 0: none)
// names the variable it stores into.
struct Shape {
  std::string_view keyword;
  int operands;
  int target;
};

constexpr Shape kShapes[] = {
    {"LCLICK", 1, 0},      {"RCLICK", 1, 0},     {"MOVETO", 1, 0},       {"MOVERE", 1, 0},
    {"SETORIGIN", 1, 0},   {"WHEEL", 1, 0},      {"DELAY", 2, 0},        {"AUTODELAY", 1, 0},
    {"PASTEKEY", 1, 0},    {"SEND", 2, 0},       {"HOTKEY", 1, 0},       {"ACTIVATE-WINDOW", 1, 0},
    {"BEEP", 2, 0},        {"BLOCKINPUT", 1, 0}, {"SETBREAKKEY", 1, 0},  {"SET-IME", 1, 0},
    {"SET", 2, 1},         {"INC", 2, 1},        {"DEC", 2, 1},          {"EXITIF", 1, 0},
    {"RETURN", 0, 0},      {"END", 0, 0},        {"EXITFOR", 0, 0},      {"PAUSE", 2, 0},
    {"STEP", 3, 0},        {"EXEC", 2, 0},       {"SHELL", 2, 0},        {"GETTITLE", 2, 0},
    {"MESSAGE", 2, 0},     {"HINTMESSAGE", 1, 0}, {"CLIPBRD", 1, 0},     {"GETCLIPBRD", 1, 0},
    {"PASTE", 1, 0},       {"AUTOPASTE", 1, 0},  {"READJOYSTICK", 1, 0}, {"LOG", 2, 0},
    {"OPEN", 3, 0},        {"CLOSE", 1, 0},      {"READ", 2, 2},         {"WRITE", 2, 0},
    {"WRITEINI", 4, 0},    {"SAVEINI", 2, 0},     {"CAPTURE", 3, 0},      {"CAPTUREJPG", 3, 0},
    {"CAPTURESCREEN", 1, 0}, {"CAPTURESCREENJPG", 1, 0}, {"OPENGRAPH", 3, 0}, {"CLOSEGRAPH", 2, 0},
};

const Shape* ShapeOf(std::string_view keyword) {
  for (const Shape& shape : kShapes) {
    if (shape.keyword == keyword) return &shape;
  }
  return nullptr;
}

bool IsCoordinateStatement(std::string_view keyword) {
  return keyword == "LCLICK" || keyword == "RCLICK" || keyword == "MOVETO" || keyword == "MOVERE" ||
         keyword == "SETORIGIN";
}

// Appended, not "`" + std::string: GCC 12 at -O3 misreads the latter's
// inlined copies as overlapping (-Wrestrict).
std::string Quoted(std::string_view text) { return std::string(1, '`').append(text).append(1, '`'); }

// A literal operand's value: a quoted text's content or a plain word;
// nothing for a variable or a call, whose value only the run knows.
std::optional<std::string> LiteralValue(std::string_view operand) {
  if (operand.empty()) return std::string();
  if (operand.front() == '%' || operand.front() == '(') return std::nullopt;
  std::shared_ptr<const Expr> expr = CompileExpr(operand);
  if (expr->kind == Expr::Kind::kQuoted) return expr->value;
  if (expr->kind == Expr::Kind::kWord) return std::string(operand);
  return std::nullopt;
}

bool Bracketed(std::string_view token) {
  return !token.empty() && token.front() == '[' && sjis::FindAtCharBoundary(token, "]", 1) != npos;
}

std::string_view WithoutHoldSuffix(std::string_view token) {
  if (token.size() >= 2 && (token.substr(token.size() - 2) == "++" || token.substr(token.size() - 2) == "--")) {
    token.remove_suffix(2);
  }
  return token;
}

class MacroChecker {
 public:
  MacroChecker(const LoadedMacro& macro, const RuleContext& context, Findings& findings)
      : macro_(macro), context_(context), findings_(findings) {
    for (size_t i = 0; i < macro.statements.size(); ++i) {
      if (macro.statements[i].keyword == "AUTOPASTE") mayAutoPaste_ = true;
    }
    mayAutoPaste_ = mayAutoPaste_ || context.settings.autoPaste;
  }

  void Run() {
    for (size_t i = 0; i < macro_.statements.size(); ++i) {
      line_ = i;
      CheckStatement(macro_.statements[i], static_cast<int>(i));
    }
    CheckBlocks();
    CheckLoops();
  }

 private:
  void Report(size_t line, Severity severity, Code code, std::string message) {
    const LineOrigin& origin = macro_.origins[line];
    findings_.push_back({macro_.fileNames[origin.file], origin.line, severity, code, std::move(message)});
  }
  void Report(Severity severity, Code code, std::string message) {
    Report(line_, severity, code, std::move(message));
  }
  int SourceLineOf(size_t line) const { return macro_.origins[line].line; }
  bool SameFile(size_t a, size_t b) const { return macro_.origins[a].file == macro_.origins[b].file; }

  void CheckStatement(const Statement& statement, int pc) {
    if (statement.splitError) {
      Report(Severity::kError, Code::kUnclosed,
             "a quote or parenthesis is never closed; the run stops at this line: " + statement.text);
      return;
    }
    if (statement.label) return;
    if (statement.handler == nullptr) {
      CheckNoStatement(statement);
      return;
    }
    const std::string& keyword = statement.keyword;
    if (keyword == "IF" || keyword == "UNLESS") return CheckIf(statement, pc);
    if (keyword == "ELSEIF") return CheckElseIf(statement);
    if (keyword == "KEY") return CheckKey(statement);
    if (keyword == "FOR") return CheckFor(statement);
    if (keyword == "GOTO" || keyword == "GOTONEXT" || keyword == "GOTOBEFORE") return CheckGoto(statement, pc);
    if (keyword == "CALL" || keyword == "GOSUB") return CheckCall(statement);
    if (keyword == "EXITFOR") CheckExitFor(pc);
    if (const Shape* shape = ShapeOf(keyword)) CheckShape(statement, *shape);
    if (keyword == "PASTEKEY") CheckPasteKey(statement);
    if (keyword == "SETBREAKKEY" || keyword == "PAUSE") CheckKeyOperand(statement);
    if (keyword == "SEND") CheckSend(statement);
  }

  // ---- lines that are no statement ------------------------------------

  void CheckNoStatement(const Statement& statement) {
    std::string_view text = statement.text;
    if (text.front() == '(') {
      TokenResult first = NextToken(text.substr(1));
      if (FindFunction(first.token) >= 0) {
        CheckOperand(text);
        return;
      }
      std::string message = "the line's first word " + Quoted(first.token) + " is no function, so the run refuses it";
      std::string_view word = first.token;
      if (!word.empty() && word.back() == ')' && FindFunction(word.substr(0, word.size() - 1)) >= 0) {
        message += "; write a space before the \")\"";
      }
      Report(Severity::kError, Code::kNotAFunctionLine, message);
      return;
    }
    // With auto-paste on, such a line is text to paste.
    if (mayAutoPaste_) return;
    Report(Severity::kError, Code::kUnknownKeyword,
           "unknown statement " + Quoted(text.substr(0, sjis::FindAtCharBoundary(text, " "))));
  }

  // ---- operands --------------------------------------------------------

  void CheckReference(std::string_view reference) {
    if (context_.declarations.Declared(reference)) return;
    const bool fails = context_.settings.varError;
    Report(fails ? Severity::kError : Severity::kWarning, Code::kUndeclaredVariable,
           Quoted(reference) + " is never declared (DIM), so it " +
               (fails ? std::string("stops the run (var_error is on)") : "stands for its own name"));
  }

  void CheckExpr(const Expr& expr) {
    switch (expr.kind) {
      case Expr::Kind::kWord:
        if (expr.ref.isReference) CheckReference(expr.text);
        return;
      case Expr::Kind::kQuoted:
        return;
      case Expr::Kind::kBadCall:
        Report(Severity::kError, Code::kUnclosed, "a quote or parenthesis is never closed: " + expr.text);
        return;
      case Expr::Kind::kCall:
        break;
    }
    if (expr.function < 0) {
      const bool fails = context_.settings.funcError;
      const std::string_view name = NextToken(expr.value).token;
      Report(fails ? Severity::kError : Severity::kWarning, Code::kUnknownFunction,
             name.empty() ? "the call " + Quoted(expr.text) + " names no function (no blank may follow \"(\")"
                          : "unknown function " + Quoted(name));
      return;
    }
    for (const Expr::Arg& arg : expr.args) {
      if (!arg.token.empty() && (arg.token.front() == '(' || arg.token.front() == '"')) {
        CheckExpr(*CompileExpr(arg.token));
      } else if (arg.ref.isReference) {
        CheckReference(arg.token);
      }
    }
  }

  void CheckOperand(std::string_view operand) {
    if (!operand.empty()) CheckExpr(*CompileExpr(operand));
  }

  void CheckTarget(const Statement& statement, std::string_view operand) {
    if (!operand.empty() && operand.front() == '%' && context_.declarations.Declared(operand)) return;
    Report(Severity::kError, Code::kUndeclaredTarget,
           statement.keyword + " stores into " + Quoted(operand) +
               ", which is no declared variable; the run stops here (declare it with DIM)");
  }

  void CheckShape(const Statement& statement, const Shape& shape) {
    for (int n = 0; n < shape.operands; ++n) {
      std::string_view operand = statement.Operand(static_cast<size_t>(n));
      if (n + 1 == shape.target) {
        CheckTarget(statement, operand);
      } else if (n == 0 && IsCoordinateStatement(statement.keyword)) {
        CheckCoordinates(statement, operand);
      } else {
        CheckOperand(operand);
      }
    }
    CheckIgnored(statement, shape.operands);
  }

  void CheckIgnored(const Statement& statement, int operands) {
    std::string_view ignored =
        operands < 4 ? statement.After(static_cast<size_t>(operands)) : statement.Operand(static_cast<size_t>(operands));
    if (ignored.empty()) return;
    std::string message = statement.keyword + " reads " + std::to_string(operands) +
                          (operands == 1 ? " operand" : " operands") + "; " + Quoted(ignored) + " is ignored";
    if (IsCoordinateStatement(statement.keyword)) message += " (write the point as x,y without spaces)";
    Report(Severity::kWarning, Code::kIgnoredOperands, message);
  }

  // "x,y" is one operand: written as a plain word its parts are not
  // evaluated, so "%x,%y" is the text itself and reads as 0,0.
  void CheckCoordinates(const Statement& statement, std::string_view operand) {
    const bool word = !operand.empty() && operand.front() != '(' && operand.front() != '"';
    if (word && sjis::FindAtCharBoundary(operand, ",") != npos && operand.find('%') != npos) {
      Report(Severity::kError, Code::kCoordinatesNotRead,
             statement.keyword + " " + std::string(operand) +
                 ": variables inside x,y are not evaluated, so the point is 0,0; write (& %x \",\" %y)");
      return;
    }
    CheckOperand(operand);
  }

  // ---- key texts -------------------------------------------------------

  void ReportBadKey(std::string_view statementKeyword, std::string_view name, std::string_view consequence) {
    Report(Severity::kError, Code::kBadKeyName,
           std::string(statementKeyword) + ": " + Quoted(name) + " names no key" + std::string(consequence));
  }

  void CheckKey(const Statement& statement) {
    TokenCursor tokens(statement.After(0));
    while (!tokens.done()) {
      TokenResult cut = tokens.Next();
      if (cut.error) return;
      std::string_view token = cut.token;
      if (token.empty()) continue;
      if (token.front() == '%') {
        if (!context_.declarations.Declared(token)) CheckReference(token);
      } else if (token.front() == '"' || token.front() == '(') {
        Report(Severity::kWarning, Code::kKeyTextNotEvaluated,
               "KEY types " + Quoted(token) +
                   " character by character: it does not evaluate it (PASTE or SEND deliver a value)");
      } else if (token.front() == '[' && WithoutHoldSuffix(token).back() == ']') {
        std::string name = sjis::AnsiUpper(WithoutHoldSuffix(token));
        if (ParseKeyToken(keyboard_, name) < 0) ReportBadKey("KEY", WithoutHoldSuffix(token), "");
      }
    }
  }

  // Any value but the two API methods is a key text of space-separated tokens.
  void CheckPasteKey(const Statement& statement) {
    std::optional<std::string> value = LiteralValue(statement.Operand(0));
    if (!value) return;
    const std::string upper = sjis::AnsiUpper(*value);
    if (upper.empty() || upper == "API-CARET" || upper == "API-MOUSE") return;
    std::string_view rest = upper;
    while (!rest.empty()) {
      const size_t space = rest.find(' ');
      std::string_view token = WithoutHoldSuffix(rest.substr(0, space));
      rest = space == npos ? std::string_view() : rest.substr(space + 1);
      if (Bracketed(token) && ParseKeyToken(keyboard_, token) < 0) {
        ReportBadKey("PASTEKEY", token, ", so pasting stops at it");
      } else if (!Bracketed(token) && sjis::NextChar(token, 0) < token.size()) {
        Report(Severity::kWarning, Code::kBadKeyName,
               "PASTEKEY: " + Quoted(token) + " is neither one character nor a bracketed key name: it sends nothing");
      }
    }
  }

  void CheckKeyOperand(const Statement& statement) {
    std::optional<std::string> value = LiteralValue(statement.Operand(0));
    if (!value || value->empty()) return;
    const std::string upper = sjis::AnsiUpper(*value);
    if (!Bracketed(upper) || ParseKeyToken(keyboard_, upper) >= 0) return;
    ReportBadKey(statement.keyword, *value,
                 statement.keyword == "PAUSE" ? ", so PAUSE does not wait" : ", so the break key stays as it was");
  }

  void CheckSend(const Statement& statement) {
    std::optional<std::string> value = LiteralValue(statement.Operand(0));
    if (!value) return;
    const std::string upper = sjis::AnsiUpper(*value);
    for (const NamedKey& key : NamedKeys()) {
      if (upper.find(key.name) != npos) {
        Report(Severity::kWarning, Code::kSendKeyName,
               "SEND delivers " + Quoted(key.name) + " as the characters it is written with, not as a key (KEY presses keys)");
        return;
      }
    }
  }

  // ---- control flow ----------------------------------------------------

  void CheckIf(const Statement& statement, int pc) {
    CheckOperand(statement.Operand(0));
    if (statement.blockIf) {
      if (!statement.After(2).empty()) {
        Report(Severity::kWarning, Code::kIgnoredOperands,
               "words after THEN are ignored: " + Quoted(statement.After(2)) +
                   " (a one-line " + statement.keyword + " has no THEN)");
      }
      return;
    }
    if (statement.Operand(0).empty() || statement.Operand(1).empty()) {
      Report(Severity::kError, Code::kMissingStatement,
             statement.keyword + " needs a condition and then THEN or a statement; the run stops here");
      return;
    }
    if (statement.inner) CheckStatement(*statement.inner, pc);
  }

  void CheckElseIf(const Statement& statement) {
    CheckOperand(statement.Operand(0));
    const std::string_view second = statement.Operand(1);
    if (!second.empty() && sjis::AnsiUpper(second) != "THEN") CheckIgnored(statement, 1);
  }

  void CheckGoto(const Statement& statement, int pc) {
    if (HasEvaluatedTarget(statement)) {
      CheckOperand(statement.Operand(0));
      return;
    }
    const JumpKind jump = JumpKindOf(statement);
    if (macro_.statements.Find(LiteralJumpTarget(statement), jump.direction, pc) >= 0) return;
    std::string where = statement.keyword == "GOTONEXT"     ? " below it"
                        : statement.keyword == "GOTOBEFORE" ? " above it"
                                                            : "";
    Report(Severity::kError, Code::kNoSuchLine,
           statement.keyword + ": no line" + where + " reads " + Quoted(statement.After(0)) + "; the run stops here");
  }

  void CheckCall(const Statement& statement) {
    const std::string_view operand = statement.Operand(0);
    CheckIgnored(statement, 1);
    std::optional<std::string> label = LiteralValue(operand);
    if (!label) {
      CheckOperand(operand);
      return;
    }
    if (macro_.statements.Find(sjis::AnsiUpper(*label), JumpDirection::kFromTop, 0) >= 0) return;
    Report(Severity::kError, Code::kNoSuchLine,
           statement.keyword + ": no line reads " + Quoted(*label) + "; the run stops here");
  }

  void CheckExitFor(int pc) {
    if (macro_.statements.Find("NEXT", JumpDirection::kForward, pc) >= 0) return;
    Report(Severity::kError, Code::kExitForWithoutNext,
           "EXITFOR: no line below reads exactly NEXT (a loop closed by \"NEXT %i\" cannot be left this way)");
  }

  void CheckFor(const Statement& statement) {
    const std::string_view header = statement.After(0);
    if (sjis::FindAtCharBoundary(header, "=") == npos) {
      Report(Severity::kError, Code::kBadForHeader,
             "FOR " + std::string(header) + ": without \"=\" the pieces shift and the loop runs once; write FOR %i=1 TO 3");
      return;
    }
    const size_t equals = sjis::FindAtCharBoundary(header, "=");
    std::string_view variable = TrimView(header.substr(0, equals));
    if (variable.empty() || variable.front() != '%' || !context_.declarations.Declared(variable)) {
      Report(Severity::kError, Code::kUndeclaredTarget,
             "FOR: the control variable " + Quoted(variable) + " is never declared (DIM); the run stops here");
    }
    TokenCursor bounds(header.substr(equals + 1));
    while (!bounds.done()) {
      TokenResult cut = bounds.Next();
      if (cut.error) return;
      if (!cut.token.empty() && cut.token.front() == '%') CheckReference(cut.token);
    }
  }

  // ---- pairing ---------------------------------------------------------

  bool IndentDiffers(size_t a, size_t b) const {
    const LineOrigin& x = macro_.origins[a];
    const LineOrigin& y = macro_.origins[b];
    return x.file == y.file && x.indent4 != y.indent4 && x.indent8 != y.indent8;
  }

  // The run pairs ELSEIF, ELSE and ENDIF with the innermost open block,
  // line after line, whatever the indentation says.
  void CheckBlocks() {
    std::vector<size_t> open;
    for (size_t i = 0; i < macro_.statements.size(); ++i) {
      const Statement& statement = macro_.statements[i];
      if (statement.splitError) continue;
      if (statement.blockIf) {
        open.push_back(i);
        continue;
      }
      const std::string& keyword = statement.keyword;
      if (keyword != "ELSEIF" && keyword != "ELSE" && keyword != "ENDIF") continue;
      if (open.empty()) {
        Report(i, Severity::kWarning, Code::kUnpairedBlock,
               keyword + " has no open IF or UNLESS block above it; the run ignores it");
        continue;
      }
      if (IndentDiffers(i, open.back())) {
        Report(i, Severity::kWarning, Code::kMisindentedBlock,
               keyword + " belongs to the " + macro_.statements[open.back()].keyword + " on line " +
                   std::to_string(SourceLineOf(open.back())) + ", which is indented differently");
      }
      if (keyword == "ENDIF") open.pop_back();
    }
    for (size_t i : open) {
      Report(i, Severity::kWarning, Code::kUnclosedBlock,
             macro_.statements[i].keyword + " ... THEN is never closed by ENDIF; when its condition fails, "
                                            "the rest of the macro is skipped");
    }
  }

  // NEXT goes back to the nearest line above it that reads like its FOR.
  void CheckLoops() {
    std::vector<size_t> open;
    for (size_t i = 0; i < macro_.statements.size(); ++i) {
      const Statement& statement = macro_.statements[i];
      if (statement.splitError) continue;
      if (statement.keyword == "FOR") {
        open.push_back(i);
        continue;
      }
      if (statement.keyword != "NEXT") continue;
      if (open.empty()) {
        Report(i, Severity::kError, Code::kNextWithoutFor, "NEXT without FOR; the run reports an error here");
        continue;
      }
      const size_t loop = open.back();
      open.pop_back();
      const int back = macro_.statements.FindBackward(sjis::AnsiUpper(macro_.statements[loop].text),
                                                      static_cast<int>(i) - 1);
      if (back >= 0 && static_cast<size_t>(back) != loop) {
        Report(i, Severity::kWarning, Code::kNextFindsOtherFor,
               "NEXT goes back to line " + std::to_string(SourceLineOf(static_cast<size_t>(back))) +
                   ", not to its own FOR on line " + std::to_string(SourceLineOf(loop)) +
                   ": both read the same; give the loops different headers");
      }
    }
    for (size_t i : open) {
      Report(i, Severity::kWarning, Code::kForWithoutNext, "FOR without NEXT: its body runs once");
    }
  }

  const LoadedMacro& macro_;
  const RuleContext& context_;
  Findings& findings_;
  NoKeyboard keyboard_;
  bool mayAutoPaste_ = false;
  size_t line_ = 0;
};

}  // namespace

void CheckMacro(const LoadedMacro& macro, const RuleContext& context, Findings& findings) {
  MacroChecker(macro, context, findings).Run();
}

}  // namespace vendrix::checker
