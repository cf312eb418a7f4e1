// Every failure the operator can meet, one row each: the message seen exactly once, the state left
// behind, and no wait past the exchange's bound.
#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>
#include <functional>

#include "camera/CVQS90Doc.h"
#include "camera/SerialNumberWriter.h"
#include "dialogs/WhiteSpotDialog.h"
#include "link/CameraLinkLibrary.h"
#include "platform/LineStatus.h"
#include "support/MemoryCamera.h"
#include "support/SimulatedGrabber.h"
#include "support/NonRegularFiles.h"

namespace {

const std::string Timeout = "ERROR - Communication time out detected.\nCheck the connection.";
const std::string Unexpected = "ERROR - Unexpected character received from camera unit.";
const std::string CannotOpen = "ERROR - Can not open communciation port.";
const std::string NotOpened = "ERROR - Communication port not opened.";

struct Rig {
  MemoryCamera link;
  CVQS90Doc doc{*link.parameters};
  QTemporaryDir dir;
  std::vector<NonRegularFile> nonRegular;
  std::string Path(const char* name) const { return dir.filePath(QString::fromLatin1(name)).toStdString(); }
  int32_t ReadGain() { return doc.ReadCameraValue(ParamGainLevel); }
  int32_t WriteGain() { return doc.WriteCameraValue(ParamGainLevel, 300); }
};

struct FaultRow {
  const char* situation;
  std::function<void(Rig&)> arrange;
  std::function<void(Rig&)> act;
  std::vector<std::string> messages;
  int64_t boundMs;
  std::function<void(Rig&)> afterwards;
};

void GainUnchanged(Rig& rig) { EXPECT_EQ(rig.doc.GetCameraValue(ParamGainLevel), 168); }
void Nothing(Rig&) {}

void MakeNonRegular(Rig& rig) { rig.nonRegular = MakeNonRegularFiles(rig.dir.path().toStdString()); }

void NonRegularFilesUntouched(Rig& rig) {
  for (const NonRegularFile& f : rig.nonRegular) EXPECT_NE(KindOf(f.path), static_cast<mode_t>(S_IFREG)) << f.kind;
  EXPECT_TRUE(rig.doc.PathName().isEmpty());
  EXPECT_TRUE(rig.link.Requests().empty());
}

// "WHAT" with each non-regular file's full path and the system's reason.
std::vector<std::string> NonRegularFileMessages(const Rig& rig, const std::string& what) {
  std::vector<std::string> messages;
  for (const NonRegularFile& f : rig.nonRegular) messages.push_back(what + "\n" + f.path + "\n" + f.reason);
  return messages;
}

void WriteFile(const std::string& path, const QByteArray& bytes) {
  QFile file(QString::fromStdString(path));
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  file.write(bytes);
}

QByteArray SettingsBytes(const char* header, int values) {
  QByteArray bytes(1, static_cast<char>(std::strlen(header)));
  bytes += header;
  bytes += QByteArray(values * 4, '\0');
  return bytes;
}

std::vector<std::string> Texts(const RecordingOperatorOutput& output) {
  std::vector<std::string> texts;
  for (const auto& m : output.messages) texts.push_back(m.text);
  return texts;
}

// Each exchange bound: four tries of each wait, as the exchange allows.
constexpr int64_t WriteBoundMs = 4 * 1001 + 4 * 3001;
constexpr int64_t ReadBoundMs = 4 * (WriteBoundMs + 4 * (4001 + 9001));

const std::vector<FaultRow>& Rows() {
  static const std::vector<FaultRow> rows = {
      {"camera silent", [](Rig& r) { r.link.camera.Faults().silent = true; }, [](Rig& r) { r.WriteGain(); },
       {Timeout}, WriteBoundMs, GainUnchanged},
      {"other byte for ACK",
       [](Rig& r) {
         r.link.camera.Faults().wrongEnquiryAnswers = -1;
         r.link.camera.Faults().enquiryAnswer = 'X';
       },
       [](Rig& r) { r.WriteGain(); }, {Unexpected}, WriteBoundMs, GainUnchanged},
      {"NAK after every frame", [](Rig& r) { r.link.camera.Faults().wrongFrameAnswers = -1; },
       [](Rig& r) { r.WriteGain(); }, {Unexpected}, WriteBoundMs, GainUnchanged},
      {"bad replies",
       [](Rig& r) {
         r.link.camera.Faults().defectiveReplies = -1;
         r.link.camera.Faults().replyDefect = ReplyDefect::BadCheck;
       },
       [](Rig& r) { r.ReadGain(); }, {"ERROR - Check sum code mismatched in received data from camera unit."},
       ReadBoundMs, GainUnchanged},
      {"short replies", [](Rig& r) { r.link.camera.Faults().shortReplies = -1; }, [](Rig& r) { r.ReadGain(); },
       {Timeout}, ReadBoundMs, GainUnchanged},
      {"endless noise", [](Rig& r) { r.link.camera.Faults().noiseBytes = 2000; }, [](Rig& r) { r.ReadGain(); },
       {Unexpected}, ReadBoundMs, GainUnchanged},
      {"camera trickling noise, never a frame",
       [](Rig& r) {
         r.link.camera.Faults().noiseBytes = 4096;
         r.link.camera.Faults().noiseGapUs = 300 * 1000;
       },
       [](Rig& r) { r.ReadGain(); }, {Unexpected}, 4 * 4001 + 3 * 9001 + 1000, GainUnchanged},
      {"grabber library whose read never returns",
       [](Rig& r) {
         r.link.port->Close();
         r.link.parameters->OpenCameraLinkLibrary(VQ_CLSERSIM_STUCK);
       },
       // One call given up, a grace time after its own time-out.
       [](Rig& r) { r.ReadGain(); }, {Timeout}, ExchangeTimeouts::Enquiry + CameraLinkLibrary::GraceMs,
       [](Rig& r) {
         r.ReadGain();
         EXPECT_EQ(Texts(r.link.output).back(), Timeout) << "the channel stays given up";
       }},
      {"line in a break",
       [](Rig& r) {
         r.link.camera.Faults().missingReplies = -1;
         r.link.device->RaiseLineErrorsAtEveryTimeout(LineStatus::Break);
       },
       [](Rig& r) { r.ReadGain(); }, {"ERROR - Serial line break condition detected."}, ReadBoundMs, GainUnchanged},
      {"port missing or held elsewhere",
       [](Rig& r) {
         r.link.port->Close();
         r.link.device->RefuseOpen(true);
       },
       [](Rig& r) {
         r.link.parameters->OpenSerialLink(2, 9600);
         r.ReadGain();
       },
       {CannotOpen, NotOpened}, 0, GainUnchanged},
      {"grabber library missing", [](Rig& r) { r.link.port->Close(); },
       [](Rig& r) { r.link.parameters->OpenCameraLinkLibrary("/nonexistent/libclserxyz.so"); }, {CannotOpen}, 0,
       Nothing},
      {"library without clSerialRead", [](Rig& r) { r.link.port->Close(); },
       [](Rig& r) { r.link.parameters->OpenCameraLinkLibrary(VQ_CLSERSIM_NOREAD); }, {CannotOpen}, 0, Nothing},
      {"foreign settings file", [](Rig& r) { WriteFile(r.Path("f.vq"), SettingsBytes("VQ-S90 Data Version9.99", 47)); },
       [](Rig& r) { r.doc.OnOpenDocument(QByteArray::fromStdString(r.Path("f.vq"))); },
       {}, 0,
       [](Rig& r) {
         EXPECT_TRUE(r.doc.PathName().isEmpty());
         EXPECT_TRUE(r.link.Requests().empty());
       }},
      {"truncated settings file", [](Rig& r) { WriteFile(r.Path("t.vq"), SettingsBytes("VQ-S90 Data Version1.00", 46)); },
       [](Rig& r) { r.doc.OnOpenDocument(QByteArray::fromStdString(r.Path("t.vq"))); }, {"Unexpected file format."}, 0,
       [](Rig& r) { EXPECT_TRUE(r.link.Requests().empty()); }},
      {"settings file with a value outside its row",
       [](Rig& r) {
         SettingsFile::Values values{};
         values[ParamGainLevel] = 99999;
         const std::vector<uint8_t> bytes = SettingsFile::Encode(values);
         WriteFile(r.Path("r.vq"), QByteArray(reinterpret_cast<const char*>(bytes.data()), static_cast<qsizetype>(bytes.size())));
       },
       [](Rig& r) { r.doc.OnOpenDocument(QByteArray::fromStdString(r.Path("r.vq"))); }, {}, 0,
       [](Rig& r) {
         EXPECT_TRUE(r.doc.PathName().isEmpty()) << "the document it had is kept";
         EXPECT_TRUE(r.link.Requests().empty()) << "nothing of the file was sent";
       }},
      {"save under the longest name the file system allows", Nothing,
       [](Rig& r) { r.doc.OnSaveDocument(QByteArray::fromStdString(r.Path((std::string(251, 'n') + ".vq").c_str()))); }, {}, 0,
       [](Rig& r) { EXPECT_TRUE(QFile::exists(QString::fromStdString(r.Path((std::string(251, 'n') + ".vq").c_str())))); }},
      {"save into a read-only place", Nothing, [](Rig& r) { r.doc.OnSaveDocument("/proc/vq.vq"); },
       {}, 0, [](Rig& r) { EXPECT_TRUE(r.doc.PathName().isEmpty()); }},
      {"save onto a FIFO, a device node, a folder or into a missing folder", MakeNonRegular,
       [](Rig& r) {
         for (const NonRegularFile& f : r.nonRegular) r.doc.OnSaveDocument(QByteArray::fromStdString(f.path));
       },
       {}, 0, NonRegularFilesUntouched},
      {"open a FIFO, a device node, a folder or a name in a missing folder", MakeNonRegular,
       [](Rig& r) {
         for (const NonRegularFile& f : r.nonRegular) r.doc.OnOpenDocument(QByteArray::fromStdString(f.path));
       },
       {}, 0, NonRegularFilesUntouched},
      {"adjustment log open elsewhere", [](Rig& r) { WriteFile(r.Path(".~lock.log.csv#"), "lock"); },
       [](Rig& r) { WriteSerialNumber(r.doc, "1234567", 0, {r.Path("log.csv"), {}}); },
       // No wait for a spreadsheet's lock; only the fresh port's quiet request-frame time at 9600.
       {}, SerialTransport::FreshLineTimeMs(9600) + 1,
       [](Rig& r) {
         EXPECT_FALSE(QFile::exists(QString::fromStdString(r.Path("log.csv"))));
         EXPECT_EQ(r.link.Requests().back(), "01FF1013370000") << "the number is in the camera";
       }},
  };
  return rows;
}

// Messages whose text depends on the row's own files.
std::vector<std::string> Expected(const FaultRow& row, Rig& rig) {
  std::string situation = row.situation;
  if (situation == "foreign settings file") {
    return {"File type mismatch.\nFile \"" + rig.Path("f.vq") + "\" does not contain data for VQ-R310NTX apprication."};
  }
  if (situation == "save into a read-only place") return {"Failed to save document.\n/proc/vq.vq\n"};
  if (situation == "settings file with a value outside its row") {
    return {rig.Path("r.vq") + "\nGainLevel holds 99999, outside its range 0 to 671. Nothing was sent to the camera."};
  }
  if (situation.rfind("save onto a FIFO", 0) == 0) return NonRegularFileMessages(rig, "Failed to save document.");
  if (situation.rfind("open a FIFO", 0) == 0) return NonRegularFileMessages(rig, "Failed to open document.");
  if (situation == "adjustment log open elsewhere") {
    return {rig.Path("log.csv") + " is opend. Please close " + rig.Path("log.csv")};
  }
  return row.messages;
}

}  // namespace

TEST(FaultMatrix, EveryFailureIsToldOnceAndLeavesTheRightState) {
  for (const FaultRow& row : Rows()) {
    SCOPED_TRACE(row.situation);
    Rig rig;
    row.arrange(rig);
    int64_t start = rig.link.clock.NowMs();
    row.act(rig);
    EXPECT_LE(rig.link.clock.NowMs() - start, row.boundMs);
    std::vector<std::string> texts = Texts(rig.link.output);
    std::vector<std::string> expected = Expected(row, rig);
    if (std::string(row.situation) == "save into a read-only place") {
      ASSERT_EQ(texts.size(), 1u);
      EXPECT_EQ(texts[0].rfind(expected[0], 0), 0u) << texts[0];
    } else {
      EXPECT_EQ(texts, expected);
    }
    row.afterwards(rig);
    rig.link.port->Close();
  }
}

TEST(FaultMatrix, BoardThatDoesNotOpen) {
  SimulatedGrabber grabber;
  ASSERT_TRUE(grabber.Loaded());
  grabber.SetInitResult(-7);
  Rig rig;
  rig.link.port->Close();
  rig.link.parameters->OpenCameraLinkLibrary(VQ_CLSERSIM);
  rig.ReadGain();
  ASSERT_EQ(rig.link.output.messages.size(), 2u);
  EXPECT_EQ(rig.link.output.messages[0].text, "Board Open Error");
  EXPECT_EQ(rig.link.output.messages[0].caption, "Error");
  EXPECT_EQ(rig.link.output.messages[0].icon, MessageIcon::Error);
  EXPECT_EQ(rig.link.output.messages[1].text, NotOpened);
}

TEST(FaultMatrix, DetectionEndsInEachState) {
  const std::pair<int, std::string> ends[] = {
      {0, "Detect is finished."}, {2, "Number of detect is over."}, {3, "Detect error"}, {7, "Detect error"}};
  for (const auto& [state, message] : ends) {
    Rig rig;
    rig.link.camera.SetDetection(1, state);
    rig.link.camera.SetSpots({});
    WhiteSpotDialog dialog(rig.doc);
    dialog.Create();
    dialog.StartDetection();
    for (int tick = 0; tick < 5 && dialog.IsPolling(); ++tick) dialog.DeliverPollTick();
    EXPECT_FALSE(dialog.IsPolling()) << state;
    EXPECT_EQ(Texts(rig.link.output), std::vector<std::string>{message}) << state;
  }
}
