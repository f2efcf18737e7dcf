// MESSAGE, and the statements this version does not carry out yet.
#include <string>

#include "builtins/answers.h"
#include "builtins/dispatch.h"
#include "engine/engine.h"
#include "engine/operands.h"
#include "engine/report.h"

namespace vendrix {

void StmtMessage(Engine& engine, const Statement& statement) {
  int answer;
  {
    InputReleased released(DesktopOf(engine));
    std::string text = EvaluateOperand(engine, statement, 1);
    answer = engine.platform.dialogs.MessageBox(text, engine.caption,
                                                platform::kMbYesNoCancel | platform::kMbSetForeground);
  }
  int index = OperandVariable(engine, statement);
  if (index >= 0) engine.variables.Store(index, AnswerText(answer));
}

}  // namespace vendrix
