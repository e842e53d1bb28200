// The default table of platform calls, gathered from this build's operating
// system functions, and the table in force.
#include "platform/os.h"

namespace quorbel::platform {

const Calls& Defaults() {
  static const Calls calls = [] {
    Calls c{};
    c.userPrimaryLanguage = os::UserPrimaryLanguage;
    c.multibyteToWide = os::MultibyteToWide;
    c.wideToMultibyte = os::WideToMultibyte;
    c.fileExists = os::FileExists;
    c.openForReading = os::OpenForReading;
    c.readBytes = os::ReadBytes;
    c.closeReading = os::CloseFile;
    c.createForWriting = os::CreateForWriting;
    c.writeBytes = os::WriteBytes;
    c.closeWriting = os::CloseFile;
    c.showMessage = os::ShowMessage;
    c.random = os::Random;
    c.allocate = os::Allocate;
    c.release = os::Release;
    c.registryCreateKey = os::RegistryCreateKey;
    c.registrySetDefault = os::RegistrySetDefault;
    c.registryCloseKey = os::RegistryCloseKey;
    c.registryDeleteKey = os::RegistryDeleteKey;
    c.moduleHandle = os::ModuleHandle;
    c.moduleFileName = os::ModuleFileName;
    c.wideLength = os::WideLength;
    return c;
  }();
  return calls;
}

Calls& Current() {
  static Calls calls = Defaults();
  return calls;
}

}  // namespace quorbel::platform
