// OPEN, CLOSE, READ, WRITE, LOG, WRITEINI and SAVEINI.
#include <string>

#include "builtins/dispatch.h"
#include "engine/engine.h"
#include "engine/expression.h"
#include "engine/file_slots.h"
#include "engine/operands.h"
#include "engine/report.h"
#include "values/sjis.h"

namespace vendrix {
namespace {

constexpr std::string_view kSaveIniSection = "saveini";

FileSlot& OpenSlotOperand(Engine& engine, const Statement& statement) {
  return CheckedSlot(engine, OperandInteger(engine, statement, 0, 0), true);
}

// Operand n parsed, the parsed form kept on the statement.
const Expr& OperandExpr(const Statement& statement, size_t n) {
  std::shared_ptr<const Expr>& expr = statement.Compiled().operandExpr[n];
  if (!expr) expr = CompileExpr(statement.Operand(n));
  return *expr;
}

// The variable operand 2 names, or -1.
int SecondOperandVariable(Engine& engine, const Statement& statement) {
  const Expr& expr = OperandExpr(statement, 1);
  return expr.kind == Expr::Kind::kWord ? LookupVariable(engine, expr.ref) : -1;
}

}  // namespace

void StmtOpen(Engine& engine, const Statement& statement) {
  const std::string file = EvaluateOperand(engine, statement, 0);
  const std::string mode = sjis::JUpperAscii(statement.Operand(1));
  OpenSlot(engine, OperandInteger(engine, statement, 2, 0), file, mode);
}

void StmtClose(Engine& engine, const Statement& statement) {
  CloseSlot(engine, OpenSlotOperand(engine, statement), "CLOSE");
}

void StmtRead(Engine& engine, const Statement& statement) {
  FileSlot& slot = OpenSlotOperand(engine, statement);
  const int index = SecondOperandVariable(engine, statement);
  if (index < 0) Fatal(engine, std::string(msg::kBadVariable) + statement.text);
  ReadSlotLine(engine, slot, slot.line);
  // A swap, not a copy: the old value's room serves the next line.
  engine.variables.Exchange(index, slot.line, TextOrigin::kOutside);
}

void StmtWrite(Engine& engine, const Statement& statement) {
  FileSlot& slot = OpenSlotOperand(engine, statement);
  WriteSlotLine(engine, slot, EvaluateOperand(engine, statement, 1));
}

void StmtLog(Engine& engine, const Statement& statement) {
  const std::string file = EvaluateOperand(engine, statement, 0);
  AppendLogLine(engine, file, EvaluateOperand(engine, statement, 1));
}

void StmtWriteIni(Engine& engine, const Statement& statement) {
  const std::string file = EvaluateOperand(engine, statement, 0);
  const std::string value = EvaluateOperand(engine, statement, 3);
  const std::string key = EvaluateOperand(engine, statement, 2);
  const std::string section = EvaluateOperand(engine, statement, 1);
  WriteIniValue(engine, "WRITEINI", IniPath(engine, file), section, key, value);
}

void StmtSaveIni(Engine& engine, const Statement& statement) {
  if (engine.run.macroFileName.empty()) {
    Fatal(engine, std::string(msg::kNoMacroFileName) + "saveini");
  }
  const std::string value = EvaluateOperand(engine, statement, 1);
  const std::string key = EvaluateOperand(engine, statement, 0);
  WriteIniValue(engine, "SAVEINI", MacroIniPath(engine, engine.run.macroFileName), kSaveIniSection, key, value);
}

}  // namespace vendrix
