// Moving register values between the store and the camera, one request per register.
#include "camera/CameraParameterSet.h"

#include "camera/ParameterTable.h"
#include "resources/StringIds.h"
#include "resources/StringTable.h"

namespace {

constexpr int StoredSetting = 0x01;
constexpr int WorkingRegister = 0x00;
constexpr int FixedByte = 0xFF;

bool HasFlag(ParameterId id, uint8_t flag) { return (ParameterTable::Flags(id) & flag) != 0; }

}  // namespace

int32_t CameraParameterSet::ReadOne(ParameterId id) {
  if (!HasFlag(id, ParameterFlags::Readable)) return 0;
  // The detection state lives in the working register; everything else is read from the stored settings.
  int mode = id == ParamWhiteSpotDetect ? WorkingRegister : StoredSetting;
  int32_t number = 0;
  if (ReadParameter(mode, FixedByte, ParameterTable::ReadArea(id), ParameterTable::Address(id),
                    ParameterTable::Minimum(id, ParameterTable::AsInTable),
                    ParameterTable::Maximum(id, ParameterTable::AsInTable), &number) < 0) {
    return Fail(CommError::PassThrough);
  }
  return SetValue(id, ParameterTable::FromCamera(id, number), ValueUnits::Stored);
}

int32_t CameraParameterSet::WriteOne(ParameterId id, int32_t value) {
  int32_t number = ParameterTable::ToCamera(id, value);
  if (WriteParameter(StoredSetting, FixedByte, ParameterTable::WriteArea(id), ParameterTable::Address(id),
                     ParameterTable::Minimum(id, ParameterTable::AsInTable),
                     ParameterTable::Maximum(id, ParameterTable::AsInTable), number) < 0) {
    return Fail(CommError::PassThrough);
  }
  return SetValue(id, value, ValueUnits::Stored);
}

int32_t CameraParameterSet::ReadAll() {
  int done = 0;
  for (int i = 0; i < ParameterCount; ++i) {
    auto id = static_cast<ParameterId>(i);
    if (ReadOne(id) < 0) {
      Operator().ShowProgress(0, 0);
      return Fail(CommError::PassThrough);
    }
    if (HasFlag(id, ParameterFlags::Readable)) Operator().ShowProgress(++done, ParameterTable::RowsWith(ParameterFlags::Readable));
  }
  Operator().ShowProgress(0, 0);
  return 1;
}

int32_t CameraParameterSet::WriteAll() {
  int done = 0;
  for (int i = 0; i < ParameterCount; ++i) {
    auto id = static_cast<ParameterId>(i);
    if (!HasFlag(id, ParameterFlags::InWriteAll)) continue;
    if (WriteOne(id, GetValue(id, ValueUnits::Stored)) < 0) {
      Operator().ShowProgress(0, 0);
      return Fail(CommError::PassThrough);
    }
    Operator().ShowProgress(++done, ParameterTable::RowsWith(ParameterFlags::InWriteAll));
  }
  Operator().ShowProgress(0, 0);
  return 0;
}

void CameraParameterSet::ShowTransferStatus(int textId, ParameterId id) {
  // A transfer asked for while an exchange runs will be refused: the running one's text stays.
  if (ExchangeRunning()) return;
  Operator().ShowStatusText(FormatString(LoadString(textId), ParameterTable::Name(id)));
}

int32_t CameraParameterSet::Reported(int32_t result) {
  if (result < 0) ReportLastError();
  return result;
}

int32_t CameraParameterSet::UploadOne(ParameterId id) {
  ShowTransferStatus(StringIds::StatusUploading, id);
  return Reported(ReadOne(id));
}

int32_t CameraParameterSet::SendOne(ParameterId id, int32_t value) {
  ShowTransferStatus(StringIds::StatusSending, id);
  return Reported(WriteOne(id, value));
}

int32_t CameraParameterSet::UploadAll() { return Reported(ReadAll()); }
int32_t CameraParameterSet::SendAll() { return Reported(WriteAll()); }

int32_t CameraParameterSet::OpenSerialLink(int32_t port, int32_t baudRate) {
  return Reported(OpenSerialDefault(port, baudRate));
}

int32_t CameraParameterSet::OpenCameraLinkLibrary(const std::string& libraryPath, uint32_t serialIndex) {
  return Reported(OpenCameraLink(libraryPath, serialIndex));
}

void CameraParameterSet::ReportLastError() {
  Operator().ShowMessage(LastErrorText(), LoadString(StringIds::ApplicationTitle), MessageIcon::Error);
}
