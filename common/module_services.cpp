#include "common/module_services.h"

#include "common/host_folder.h"

namespace tavrik {

std::optional<std::string> hostFilePath(ModuleServices& services, unsigned id) {
  std::string relative = services.moduleString(id);
  if (relative.empty()) return std::nullopt;
  return joinHostFolder(services.hostExecutablePath(), relative,
                        [&services](unsigned char byte) { return services.isLeadByte(byte); });
}

}  // namespace tavrik
