#include "tessara7/uninstall/uninstall_commands.h"

namespace tessara {
namespace {
constexpr const char* kArmedCaption = "> Uninstall <";
}

UninstallCommands::UninstallCommands(forms::Label& cmdUninstall) : cmdUninstall_(cmdUninstall) {}

void UninstallCommands::passwordGiven() { cmdUninstall_.setCaption(kArmedCaption); }

bool UninstallCommands::armed() const { return cmdUninstall_.caption() == kArmedCaption; }

}  // namespace tessara
