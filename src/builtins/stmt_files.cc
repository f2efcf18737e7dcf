// OPEN, CLOSE, READ, WRITE, LOG, WRITEINI and SAVEINI.
#include <string>

#include "builtins/dispatch.h"
#include "engine/interpreter.h"
#include "engine/expression.h"
#include "engine/file_slots.h"
#include "values/sjis.h"

namespace vendrix {
namespace {

constexpr std::string_view kSaveIniSection = "saveini";

FileSlot& OpenSlotOperand(Interpreter& interp, const Statement& statement) {
  return interp.CheckedFileSlot(interp.OperandInteger(statement, 0, 0), true);
}

// The variable operand 2 names, or -1.
int SecondOperandVariable(Interpreter& interp, const Statement& statement) {
  const Expr& expr = OperandExpr(statement, 1);
  return expr.kind == Expr::Kind::kWord ? interp.LookupVariable(expr.ref) : -1;
}

}  // namespace

void StmtOpen(Interpreter& interp, const Statement& statement) {
  const std::string file = interp.Operand(statement, 0);
  const std::string mode = sjis::JUpperAscii(statement.Operand(1));
  interp.OpenFileSlot(interp.OperandInteger(statement, 2, 0), file, mode);
}

void StmtClose(Interpreter& interp, const Statement& statement) {
  interp.CloseFileSlot(OpenSlotOperand(interp, statement), "CLOSE");
}

void StmtRead(Interpreter& interp, const Statement& statement) {
  FileSlot& slot = OpenSlotOperand(interp, statement);
  const int index = SecondOperandVariable(interp, statement);
  if (index < 0) interp.Fatal(std::string(msg::kBadVariable) + statement.text);
  interp.ReadLine(slot, slot.line);
  // A swap, not a copy: the old value's room serves the next line.
  interp.Exchange(index, slot.line, TextOrigin::kOutside);
}

void StmtWrite(Interpreter& interp, const Statement& statement) {
  FileSlot& slot = OpenSlotOperand(interp, statement);
  interp.WriteLine(slot, interp.Operand(statement, 1));
}

void StmtLog(Interpreter& interp, const Statement& statement) {
  const std::string file = interp.Operand(statement, 0);
  interp.AppendLog(file, interp.Operand(statement, 1));
}

void StmtWriteIni(Interpreter& interp, const Statement& statement) {
  const std::string file = interp.Operand(statement, 0);
  const std::string value = interp.Operand(statement, 3);
  const std::string key = interp.Operand(statement, 2);
  const std::string section = interp.Operand(statement, 1);
  interp.WriteIni("WRITEINI", interp.IniPathOf(file), section, key, value);
}

void StmtSaveIni(Interpreter& interp, const Statement& statement) {
  if (interp.MacroFileName().empty()) {
    interp.Fatal(std::string(msg::kNoMacroFileName) + "saveini");
  }
  const std::string value = interp.Operand(statement, 1);
  const std::string key = interp.Operand(statement, 0);
  interp.WriteIni("SAVEINI", interp.MacroIniPathOf(interp.MacroFileName()), kSaveIniSection, key, value);
}

}  // namespace vendrix
