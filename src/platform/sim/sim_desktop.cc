#include "platform/sim/sim_desktop.h"

#include <utility>

namespace vendrix::sim {

SimDesktop::SimDesktop(DesktopDescription description)
    : world_(description.startMs, std::move(description.windows), description.foreground, description.active),
      display_(world_, description.screenWidth, description.screenHeight, std::move(description.screen)),
      pointer_(world_, display_, description.pointer),
      input_(world_, pointer_, std::move(description.keys)),
      clock_(world_, input_, description.clock),
      clipboard_(world_, std::move(description.clipboard)),
      windows_(world_, clipboard_, description.foregroundLockMs, description.os),
      joysticks_(world_, std::move(description.joysticks)),
      programs_(world_, std::move(description.programs), std::move(description.documents)),
      sound_(world_),
      messages_(world_, windows_, shellWindow_),
      shellWindow_(world_, messages_, input_, joysticks_,
                   ShellScript{std::move(description.shellEvents), std::move(description.fileDialogAnswers),
                               std::move(description.takenHotkeys)}),
      dialogs_(world_, messages_, std::move(description.answers), std::move(description.inputs)) {}

}  // namespace vendrix::sim
