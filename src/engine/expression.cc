#include "engine/expression.h"

#include "engine/engine.h"
#include "engine/interpreter.h"
#include "engine/function_table.h"
#include "engine/report.h"
#include "engine/run.h"
#include "engine/tokenizer.h"
#include "values/integer.h"
#include "values/sjis.h"

namespace vendrix {
namespace {

constexpr size_t npos = std::string_view::npos;
constexpr size_t kPreparedArgs = 5;
constexpr size_t kDynamicExprCacheLimit = 4096;
// A compiled expression keeps its text about four times over (the key, the
// text, the inner text, the argument tokens).
constexpr size_t kExprCopies = 4;
constexpr size_t kCachedEntryBytes = 512;
// The part of a call's text that a message about it shows.
constexpr int kShownCallChars = 200;

// Counts the nesting of evaluations; deep nesting is a fatal error rather
// than a stack overflow.
class DepthGuard {
 public:
  DepthGuard(Engine& engine, std::string_view text) : engine_(engine) {
    if (++engine_.expressionDepth > kMaxExpressionDepth) {
      --engine_.expressionDepth;
      Fatal(engine_, msg::kExpressionTooDeep, text);
    }
  }
  ~DepthGuard() { --engine_.expressionDepth; }
  DepthGuard(const DepthGuard&) = delete;
  DepthGuard& operator=(const DepthGuard&) = delete;

 private:
  Engine& engine_;
};

// A text that is no call, quote or variable reference is its own value.
bool EvaluatesToItself(std::string_view text) {
  return text.empty() || (text.front() != '(' && text.front() != '"' && text.front() != '%');
}

void SplitArguments(Expr& expr, std::string_view argumentText) {
  TokenCursor tokens(argumentText);
  do {
    TokenResult cut = tokens.Next();
    if (cut.error) {
      expr.tokenError = std::move(cut.error);
      expr.tokensBeforeError = expr.args.size();
      return;
    }
    Expr::Arg arg;
    arg.token = std::string(cut.token);
    arg.ref = MakeVarRef(cut.token);
    arg.literal = EvaluatesToItself(cut.token);
    if (arg.literal) arg.number = ParseInteger(cut.token);
    expr.args.push_back(std::move(arg));
  } while (!tokens.done());
}

void CompileCall(Expr& expr, std::string_view operand) {
  std::string_view afterParen = operand.substr(1);
  size_t close = FindClosingParen(afterParen);
  if (close == npos) {
    expr.kind = Expr::Kind::kBadCall;
    expr.error = std::string(msg::kParenNotClosed) + "(" + std::string(afterParen);
    return;
  }
  std::string_view inner = afterParen.substr(0, close);
  TokenResult name = NextToken(inner);
  if (name.error) {
    expr.kind = Expr::Kind::kBadCall;
    expr.error = std::move(name.error);
    return;
  }
  expr.kind = Expr::Kind::kCall;
  expr.value = std::string(inner);
  expr.function = FindFunction(name.token);
  if (expr.function >= 0) SplitArguments(expr, name.rest);
}

void CompileQuoted(Expr& expr, std::string_view operand) {
  size_t close = FindClosingQuote(operand.substr(1));
  if (close == npos) {
    expr.kind = Expr::Kind::kBadCall;
    expr.error = std::string(msg::kQuoteNotClosed) + std::string(operand);
    return;
  }
  expr.kind = Expr::Kind::kQuoted;
  std::string inside(operand.substr(1, close));
  expr.value = sjis::JReplaceAll(sjis::JReplaceAll(inside, "\\n", "\r"), "\"\"", "\"");
}

// What CountEvaluation does when the count reaches the bound or a break
// test.
[[gnu::noinline]] void EvaluationCountReached(Engine& engine, const Expr& expr) {
  if (engine.evaluations > kMaxEvaluationsPerStatement) {
    Fatal(engine, msg::kTooManyEvaluations, sjis::JCopy(expr.text, 1, kShownCallChars));
  }
  if (!engine.run.idle && BreakRequested(engine)) throw RunBroken{};
}

// Counts one function call towards the statement's bound, and lets the
// break key stop a long evaluation as it stops a long loop.
void CountEvaluation(Engine& engine, const Expr& expr) {
  const uint64_t count = ++engine.evaluations;
  if (count > kMaxEvaluationsPerStatement || count % kBreakPollEvaluations == 0) {
    EvaluationCountReached(engine, expr);
  }
}

void CountOutsideRead(Engine& engine, int index) {
  if (engine.variables.HoldsOutsideText(index)) ++engine.outsideTextReads;
}

// A variable's value, counted when it is outside text.
const std::string& VariableValue(Engine& engine, int index) {
  CountOutsideRead(engine, index);
  return engine.variables.Value(index);
}

// An argument's value: the macro's own text in a variable is evaluated as
// an operand of its own, outside text stands for itself, and any other
// token is evaluated as written.
std::string EvaluateArg(Engine& engine, const Expr::Arg& arg) {
  if (arg.literal) return arg.token;
  int index = LookupVariable(engine, arg.ref);
  if (index >= 0) {
    if (engine.variables.HoldsOutsideText(index)) return VariableValue(engine, index);
    return EvaluateText(engine, VariableValue(engine, index));
  }
  if (!arg.expr) arg.expr = CompileExpr(arg.token);
  return Evaluate(engine, *arg.expr);
}

// ArgInteger of an argument whose value is no number known in advance.
[[gnu::noinline]] int32_t ArgIntegerOfText(Engine& engine, const Expr::Arg& arg) {
  int index = LookupVariable(engine, arg.ref);
  if (index >= 0) {
    if (const std::optional<int32_t> number = engine.variables.NumberOf(index)) {
      CountOutsideRead(engine, index);
      return *number;
    }
    const std::string& value = VariableValue(engine, index);
    if (engine.variables.HoldsOutsideText(index) || EvaluatesToItself(value)) return 0;
    return IntegerValue(EvaluateText(engine, value), 0);
  }
  if (!arg.expr) arg.expr = CompileExpr(arg.token);
  return EvaluateInteger(engine, *arg.expr, 0);
}

// What EvaluateArg's text reads as an integer (IntegerValue with 0), made
// without the text where the argument is a number or names one.  A text
// that reads as a number starts with none of ( " %, so it is its own value.
inline int32_t ArgInteger(Engine& engine, const Expr::Arg& arg) {
  if (arg.literal) return arg.number.value_or(0);
  const int index = arg.ref.foundIndex;  // a simple reference found before
  if (index >= 0) {
    if (const std::optional<int32_t> number = engine.variables.NumberOf(index)) {
      CountOutsideRead(engine, index);
      return *number;
    }
  }
  return ArgIntegerOfText(engine, arg);
}

class CallWalker : public ArgWalker {
 public:
  CallWalker(Engine& engine, const Expr& expr) : engine_(engine), expr_(expr) {}
  bool Next(std::string& value) override {
    if (next_ == expr_.args.size()) {
      if (expr_.tokenError && next_ == expr_.tokensBeforeError) {
        Fatal(engine_, *expr_.tokenError);
      }
      return false;
    }
    value = EvaluateArg(engine_, expr_.args[next_++]);
    return true;
  }

 private:
  Engine& engine_;
  const Expr& expr_;
  size_t next_ = 0;
};

// The function of a call that compares the integer values of its two
// arguments, or null for any other operand.
const FunctionEntry* ComparisonOf(const Engine& engine, const Expr& expr) {
  const FunctionEntry* entry = KnownFunctionOf(engine, expr);
  if (entry == nullptr || expr.args.size() != 2) return nullptr;
  const bool comparison = entry->fixed != nullptr && entry->variadic == nullptr && entry->compare != nullptr;
  return comparison ? entry : nullptr;
}

// What Evaluate and EvaluateCall do around a known function's fixed call
// when its text is never made: count the evaluation, enter the nesting,
// note an effect, and report a quote or parenthesis never closed before the
// arguments are prepared.
class FixedCallFrame {
 public:
  FixedCallFrame(Engine& engine, const Expr& expr, const FunctionEntry& entry)
      : guard_(Counted(engine, expr), expr.text) {
    if (!entry.pure) NoteEffect(engine);
    if (expr.tokenError && expr.tokensBeforeError < kPreparedArgs) Fatal(engine, *expr.tokenError);
  }

 private:
  // The evaluation is counted before the nesting is entered.
  static Engine& Counted(Engine& engine, const Expr& expr) {
    CountEvaluation(engine, expr);
    return engine;
  }

  DepthGuard guard_;
};

inline bool CompareArgs(Engine& engine, const Expr& expr, const FunctionEntry& entry) {
  const int32_t first = ArgInteger(engine, expr.args[0]);
  return entry.compare(first, ArgInteger(engine, expr.args[1]));
}

std::string CallVariadic(Engine& engine, const Expr& expr, const FunctionEntry& entry);
std::string CallFixed(Engine& engine, const Expr& expr, const FunctionEntry& entry);

// Argument i of a fixed call, evaluated with its origin.
[[gnu::noinline]] void PrepareEvaluatedArg(Engine& engine, const Expr::Arg& arg, size_t i, CallArgs& args) {
  OutsideTextWatch watch(engine);
  std::string value = EvaluateArg(engine, arg);
  args.SetEvaluated(i, std::move(value), watch.Origin());
}

// A fixed call's first arguments, each evaluated with its origin.
inline void PrepareArgs(Engine& engine, const Expr& expr, CallArgs& args) {
  args.call = &expr;
  const Expr::Arg* arg = expr.args.data();
  const Expr::Arg* const end = arg + std::min(kPreparedArgs, expr.args.size());
  for (size_t i = 0; arg != end; ++arg, ++i) {
    if (arg->literal) {
      args.SetWritten(i, arg->token);
    } else {
      PrepareEvaluatedArg(engine, *arg, i, args);
    }
  }
}

std::string EvaluateCall(Engine& engine, const Expr& expr) {
  if (expr.function < 0) {
    if (engine.settings.funcError) Fatal(engine, std::string(msg::kBadFunctionName) + expr.text);
    return expr.value;
  }
  const FunctionEntry& entry = (*engine.builtins.functions)[static_cast<size_t>(expr.function)];
  if (!entry.pure) NoteEffect(engine);
  std::string result = entry.variadic ? CallVariadic(engine, expr, entry) : CallFixed(engine, expr, entry);
  CheckTextSize(engine, result.size(), entry.name);
  return result;
}

std::string CallVariadic(Engine& engine, const Expr& expr, const FunctionEntry& entry) {
  CallWalker walker(engine, expr);
  Interpreter interpreter(engine);
  return entry.variadic(interpreter, walker);
}

std::string CallFixed(Engine& engine, const Expr& expr, const FunctionEntry& entry) {
  if (expr.tokenError && expr.tokensBeforeError < kPreparedArgs) Fatal(engine, *expr.tokenError);
  if (entry.compare != nullptr && expr.args.size() == 2) return std::string(TruthText(CompareArgs(engine, expr, entry)));
  CallArgs args;
  PrepareArgs(engine, expr, args);
  Interpreter interpreter(engine);
  std::string value = entry.fixed(interpreter, args);
  if (entry.bringsOutsideText) ++engine.outsideTextReads;
  return value;
}

// EvaluateTruth of any operand but a comparison: the truth of its text.
[[gnu::noinline]] bool TruthOfText(Engine& engine, const Expr& expr) { return IsTrue(Evaluate(engine, expr)); }

// The compiled form of a text built at run time, from the engine's cache.
// The cache is bounded by what its entries hold, not only by their number:
// a few large values must not keep gigabytes.  A text too large for the
// cache is compiled each time.
std::shared_ptr<const Expr> CompiledText(Engine& engine, std::string_view operand) {
  auto it = engine.dynamicExprs.find(operand);
  if (it != engine.dynamicExprs.end()) return it->second;
  std::shared_ptr<const Expr> expr = CompileExpr(operand);
  const size_t cost = kExprCopies * operand.size() + kCachedEntryBytes;
  if (cost > kRunTimeCacheBytes) return expr;
  if (engine.dynamicExprs.size() >= kDynamicExprCacheLimit || engine.dynamicExprBytes + cost > kRunTimeCacheBytes) {
    engine.dynamicExprs.clear();
    engine.dynamicExprBytes = 0;
  }
  engine.dynamicExprs.emplace(std::string(operand), expr);
  engine.dynamicExprBytes += cost;
  return expr;
}

}  // namespace

VarRef MakeVarRef(std::string_view text) {
  VarRef ref;
  ref.text = std::string(text);
  ref.isReference = !text.empty() && text.front() == '%';
  if (!ref.isReference) return ref;
  ref.upperKey = sjis::AnsiUpper(text);
  size_t open = sjis::FindAtCharBoundary(text, "[");
  if (open == npos) return ref;
  size_t close = sjis::FindAtCharBoundary(text, "]", open + 1);
  if (close == npos) return ref;
  ref.element = true;
  ref.base = std::string(text.substr(0, open));
  ref.index = std::make_unique<VarRef>(MakeVarRef(text.substr(open + 1, close - open - 1)));
  return ref;
}

int LookupVariableAgain(Engine& engine, const VarRef& ref) {
  if (!ref.isReference) return -1;
  VariableTable& table = engine.variables;
  int found;
  if (ref.element) {
    int index = LookupVariable(engine, *ref.index);
    found = index >= 0 ? table.Find(sjis::AnsiUpper(ref.base + "[" + table.Value(index) + "]"))
                       : table.Find(ref.upperKey);
  } else if (ref.foundIndex >= 0) {
    return ref.foundIndex;
  } else if (ref.missedAtSize == table.size()) {
    found = -1;
  } else {
    found = table.Find(ref.upperKey);
    if (found >= 0) {
      ref.foundIndex = found;
    } else {
      ref.missedAtSize = table.size();
    }
  }
  if (found < 0 && engine.settings.varError) {
    Fatal(engine, std::string(msg::kVariableUndeclared) + ref.text);
  }
  return found;
}

int LookupVariable(Engine& engine, std::string_view reference) {
  if (reference.empty() || reference.front() != '%') return -1;
  // Values that begin with "%" are looked up at every use; a long one that
  // cannot be a name is settled without copying it.
  if (reference.size() > engine.variables.MaxNameLength() && sjis::FindAtCharBoundary(reference, "[") == npos) {
    if (engine.settings.varError) Fatal(engine, std::string(msg::kVariableUndeclared) + std::string(reference));
    return -1;
  }
  return LookupVariable(engine, MakeVarRef(reference));
}

std::shared_ptr<const Expr> CompileExpr(std::string_view operand) {
  auto expr = std::make_shared<Expr>();
  expr->text = std::string(operand);
  if (!operand.empty() && operand.front() == '(') {
    CompileCall(*expr, operand);
  } else if (!operand.empty() && operand.front() == '"') {
    CompileQuoted(*expr, operand);
  } else {
    expr->kind = Expr::Kind::kWord;
    expr->ref = MakeVarRef(operand);
    expr->number = ParseInteger(operand);
  }
  return expr;
}

int32_t CallIntegerFunction(Engine& engine, const Expr& expr, const FunctionEntry& entry) {
  FixedCallFrame frame(engine, expr, entry);
  CallArgs args;
  PrepareArgs(engine, expr, args);
  Interpreter interpreter(engine);
  const int32_t value = entry.integer(interpreter, args);
  if (entry.bringsOutsideText) ++engine.outsideTextReads;
  return value;
}

int32_t EvaluateIntegerOfNonWord(Engine& engine, const Expr& expr, int32_t defaultValue) {
  // An integer's text reads back as that integer.
  if (const FunctionEntry* entry = IntegerFunctionOf(engine, expr)) return CallIntegerFunction(engine, expr, *entry);
  return IntegerValue(Evaluate(engine, expr), defaultValue);
}

std::string Evaluate(Engine& engine, const Expr& expr) {
  switch (expr.kind) {
    case Expr::Kind::kWord: {
      int index = LookupVariable(engine, expr.ref);
      return index >= 0 ? VariableValue(engine, index) : expr.text;
    }
    case Expr::Kind::kQuoted:
      return expr.value;
    case Expr::Kind::kBadCall:
      Fatal(engine, *expr.error);
      return {};
    case Expr::Kind::kCall: {
      CountEvaluation(engine, expr);
      DepthGuard guard(engine, expr.text);
      return EvaluateCall(engine, expr);
    }
  }
  return {};
}

bool EvaluateTruth(Engine& engine, const Expr& expr) {
  const FunctionEntry* comparison = ComparisonOf(engine, expr);
  if (comparison == nullptr) return TruthOfText(engine, expr);
  // What Evaluate and EvaluateCall do for the call, less its text ("True"
  // or "False", never too large).
  FixedCallFrame frame(engine, expr, *comparison);
  return CompareArgs(engine, expr, *comparison);
}

std::string EvaluateText(Engine& engine, std::string_view operand) {
  if (EvaluatesToItself(operand)) return std::string(operand);
  if (operand.front() == '%') {
    int index = LookupVariable(engine, operand);
    return index >= 0 ? VariableValue(engine, index) : std::string(operand);
  }
  // An evaluation outside any statement is counted on its own.
  if (engine.statementDepth == 0 && engine.expressionDepth == 0) engine.evaluations = 0;
  std::shared_ptr<const Expr> expr = CompiledText(engine, operand);  // survives a cache clear below
  return Evaluate(engine, *expr);
}

}  // namespace vendrix
