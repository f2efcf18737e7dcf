// MESSAGE, and the statements this version does not carry out yet.
#include <string>

#include "builtins/answers.h"
#include "builtins/dispatch.h"
#include "engine/interpreter.h"

namespace vendrix {

void StmtMessage(Interpreter& interp, const Statement& statement) {
  int answer;
  {
    InputReleased released(interp.Desktop());
    std::string text = interp.Operand(statement, 1);
    answer = interp.Platform().dialogs.MessageBox(text, interp.Caption(),
                                                platform::kMbYesNoCancel | platform::kMbSetForeground);
  }
  int index = interp.OperandVariable(statement);
  if (index >= 0) interp.Store(index, AnswerText(answer));
}

}  // namespace vendrix
