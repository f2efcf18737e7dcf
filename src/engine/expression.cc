#include "engine/expression.h"

#include "engine/engine.h"
#include "engine/function_table.h"
#include "engine/report.h"
#include "engine/tokenizer.h"
#include "values/sjis.h"

namespace vendrix {
namespace {

constexpr size_t npos = std::string_view::npos;
constexpr size_t kPreparedArgs = 5;
constexpr size_t kDynamicExprCacheLimit = 4096;

// Counts the nesting of evaluations; deep nesting is a fatal error rather
// than a stack overflow.
class DepthGuard {
 public:
  DepthGuard(Engine& engine, std::string_view text) : engine_(engine) {
    if (++engine_.expressionDepth > kMaxExpressionDepth) {
      --engine_.expressionDepth;
      ReportError(engine_, std::string(msg::kExpressionTooDeep) + std::string(text), true);
    }
  }
  ~DepthGuard() { --engine_.expressionDepth; }
  DepthGuard(const DepthGuard&) = delete;
  DepthGuard& operator=(const DepthGuard&) = delete;

 private:
  Engine& engine_;
};

void SplitArguments(Expr& expr, std::string_view argumentText) {
  std::string_view rest = argumentText;
  do {
    TokenResult cut = NextToken(rest);
    if (cut.error) {
      expr.tokenError = std::move(cut.error);
      expr.tokensBeforeError = expr.args.size();
      return;
    }
    Expr::Arg arg;
    arg.token = std::string(cut.token);
    arg.ref = MakeVarRef(cut.token);
    expr.args.push_back(std::move(arg));
    rest = cut.rest;
  } while (!rest.empty());
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

// A variable's value, counted when it is outside text.
const std::string& VariableValue(Engine& engine, int index) {
  if (engine.variables.HoldsOutsideText(index)) ++engine.outsideTextReads;
  return engine.variables.Value(index);
}

// An argument's value: the macro's own text in a variable is evaluated as
// an operand of its own, outside text stands for itself, and any other
// token is evaluated as written.
std::string EvaluateArg(Engine& engine, const Expr::Arg& arg) {
  int index = LookupVariable(engine, arg.ref);
  if (index >= 0) {
    if (engine.variables.HoldsOutsideText(index)) return VariableValue(engine, index);
    return EvaluateText(engine, VariableValue(engine, index));
  }
  if (!arg.expr) arg.expr = CompileExpr(arg.token);
  return Evaluate(engine, *arg.expr);
}

class CallWalker : public ArgWalker {
 public:
  CallWalker(Engine& engine, const Expr& expr) : engine_(engine), expr_(expr) {}
  bool Next(std::string& value) override {
    if (next_ == expr_.args.size()) {
      if (expr_.tokenError && next_ == expr_.tokensBeforeError) {
        ReportError(engine_, *expr_.tokenError, true);
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

std::string EvaluateCall(Engine& engine, const Expr& expr) {
  if (expr.function < 0) {
    if (engine.settings.funcError) ReportError(engine, std::string(msg::kBadFunctionName) + expr.text, true);
    return expr.value;
  }
  const FunctionEntry& entry = (*engine.builtins.functions)[static_cast<size_t>(expr.function)];
  if (entry.variadic) {
    CallWalker walker(engine, expr);
    return entry.variadic(engine, walker);
  }
  if (expr.tokenError && expr.tokensBeforeError < kPreparedArgs) ReportError(engine, *expr.tokenError, true);
  CallArgs args;
  args.call = &expr;
  size_t count = std::min(kPreparedArgs, expr.args.size());
  for (size_t i = 0; i < count; ++i) {
    OutsideTextWatch watch(engine);
    args[i] = EvaluateArg(engine, expr.args[i]);
    args.origins[i] = watch.Origin();
  }
  std::string value = entry.fixed(engine, args);
  if (entry.bringsOutsideText) ++engine.outsideTextReads;
  return value;
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

int LookupVariable(Engine& engine, const VarRef& ref) {
  if (!ref.isReference) return -1;
  const VariableTable& table = engine.variables;
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
    ReportError(engine, std::string(msg::kVariableUndeclared) + ref.text, true);
  }
  return found;
}

int LookupVariable(Engine& engine, std::string_view reference) {
  if (reference.empty() || reference.front() != '%') return -1;
  // Values that begin with "%" are looked up at every use; a long one that
  // cannot be a name is settled without copying it.
  if (reference.size() > engine.variables.MaxNameLength() && sjis::FindAtCharBoundary(reference, "[") == npos) {
    if (engine.settings.varError) ReportError(engine, std::string(msg::kVariableUndeclared) + std::string(reference), true);
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
  }
  return expr;
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
      ReportError(engine, *expr.error, true);
      return {};
    case Expr::Kind::kCall: {
      DepthGuard guard(engine, expr.text);
      return EvaluateCall(engine, expr);
    }
  }
  return {};
}

std::string EvaluateText(Engine& engine, std::string_view operand) {
  if (operand.empty()) return {};
  char first = operand.front();
  if (first != '(' && first != '"' && first != '%') return std::string(operand);
  if (first == '%') {
    int index = LookupVariable(engine, operand);
    return index >= 0 ? VariableValue(engine, index) : std::string(operand);
  }
  auto it = engine.dynamicExprs.find(operand);
  if (it == engine.dynamicExprs.end()) {
    if (engine.dynamicExprs.size() >= kDynamicExprCacheLimit) engine.dynamicExprs.clear();
    it = engine.dynamicExprs.emplace(std::string(operand), CompileExpr(operand)).first;
  }
  std::shared_ptr<const Expr> expr = it->second;  // survives a cache clear below
  return Evaluate(engine, *expr);
}

OutsideTextWatch::OutsideTextWatch(const Engine& engine)
    : engine_(engine), readsBefore_(engine.outsideTextReads) {}

TextOrigin OutsideTextWatch::Origin() const {
  return engine_.outsideTextReads != readsBefore_ ? TextOrigin::kOutside : TextOrigin::kMacro;
}

}  // namespace vendrix
