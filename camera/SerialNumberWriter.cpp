// The WRITE button's sequence, shared by the control panel and vqctl write-serial.
#include "camera/SerialNumberWriter.h"

#include "camera/SettingsDocument.h"
#include "camera/SerialNumber.h"
#include "resources/StringIds.h"
#include "resources/StringTable.h"

SerialWriteResult WriteSerialNumber(SettingsDocument& document, const std::string& text, int digitsMode,
                                    const AdjustmentLogTarget& log, const std::function<void(int)>& wordsWritten) {
  OperatorOutput& output = document.Parameters().Operator();
  SerialWriteResult result;

  // Unlocking comes first: a camera that refuses it is one the factory must hear about whatever was typed.
  int32_t written = document.WriteCameraValue(ParamSerialNumberUnlock, SerialNumberUnlockValue);
  if (written < 0) {
    std::string told = LoadString(StringIds::SerialNumberNotUnlocked);
    output.ShowMessage(told, LoadString(StringIds::ApplicationTitle), MessageIcon::None);
    return {SerialWriteStatus::NotUnlocked, written, std::nullopt, std::move(told)};
  }

  std::string refusal = SerialNumberRefusal(text, digitsMode);
  if (!refusal.empty()) {
    output.ShowMessage(refusal, LoadString(StringIds::ApplicationTitle), MessageIcon::Warning);
    return {SerialWriteStatus::Refused, 0, std::nullopt, std::move(refusal)};
  }

  auto words = SerialNumberWords(text, digitsMode);
  for (int k = 0; k < static_cast<int>(words.size()); ++k) {
    if (wordsWritten) wordsWritten(k);
    written = document.WriteCameraValue(static_cast<ParameterId>(ParamSerialNumber0 + k), words[static_cast<size_t>(k)]);
    if (written < 0) return {SerialWriteStatus::WordFailed, written, std::nullopt, {}};
  }
  if (wordsWritten) wordsWritten(static_cast<int>(words.size()));

  AdjustmentLogResult logged = AppendAdjustmentLog(document, log);
  result.modelName = logged.modelName;
  result.error = logged.readError;
  if (logged.status != AdjustmentLogStatus::Written) {
    result.status = SerialWriteStatus::LogNotWritten;
    result.message = std::move(logged.message);
    result.logError = logged.error;
    result.logPath = std::move(logged.path);
  }
  return result;
}
