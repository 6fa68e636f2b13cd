#include "addin/Registration.h"

#include <memory>

#include "addin/Connect.h"

namespace kx::addin {

host::AddInRegistration KestrixRegistration(ui::Driver& ui, std::string moduleFolder) {
  host::AddInRegistration registration;
  registration.ProgId = std::string(kProgId);
  registration.FriendlyName = std::string(kFriendlyName);
  registration.Description = std::string(kDescription);
  registration.LoadBehavior = kLoadBehavior;
  registration.Create = [&ui, folder = std::move(moduleFolder)]() -> host::AddInObjectRef {
    return std::make_shared<Connect>(ui, folder);
  };
  return registration;
}

}  // namespace kx::addin
