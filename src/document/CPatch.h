// One patch: the 50 controller records, the title, the copyright notices of its file, the
// format version and the modified flag. Every change is announced by broadcast:
//   'Pchg' (controller index)  SetParam when the stored record changed, ClearParam always
//   'Init' (nothing)           InitAllParams
//   'Plod' (controller index)  LoadSMF, once per controller loaded
//   'Tlod' (title)             LoadSMF, when the file had a title
//   'Prcv' (controller index)  ProcessMessage, once per bulk dump received
// RestoreSnapshot (undo and redo) announces each record it changes with 'Pchg' and 'Plod', and
// a changed title with 'Tlod'.
// The messages below bind each code to its parameter's type.
#pragma once

#include "document/SPatchParam.h"
#include "framework/core/FSSpec.h"
#include "framework/core/LBroadcaster.h"
#include "framework/core/TMessage.h"
#include "framework/core/MacTypes.h"
#include "midi/CMidiInHandler.h"

#include <bitset>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

class CMidiInQueue;
class CMidiOperation;
class CPatchHistory;
class CSMFReader;
class CSMFWriter;
class LCommander;
class StDialogHandler;

constexpr TMessage<const std::int32_t> msg_PatchChanged{"Pchg"};
constexpr TMessage<void> msg_PatchInit{"Init"};
constexpr TMessage<const std::int32_t> msg_ParamLoaded{"Plod"};
// The title: a length-prefixed string (the parameter points to its length byte).
constexpr TMessage<const unsigned char> msg_TitleLoaded{"Tlod"};
constexpr TMessage<const std::int32_t> msg_ParamReceived{"Prcv"};

constexpr std::uint32_t kPatchVersion = 200;
constexpr std::uint32_t kPatchVersion_100 = 100;

// The dialogs of a transfer: the main window asks with 3000 before a request and with 3001
// before a send; BulkTrReRequest, Retreive and Transmit show 3002 to 3005.
constexpr ResIDT kConfirmRequestDialog = 3000;
constexpr ResIDT kConfirmSendDialog = 3001;
constexpr ResIDT kRetrieveWaitDialog = 3002;
constexpr ResIDT kTransmitConfirmDialog = 3003;
constexpr ResIDT kProgressDialog = 3004;
constexpr ResIDT kTransmitCancelledDialog = 3005;
// The progress dialog's buttons beside Cancel, shown when a retrieval has stalled with
// controllers missing.
constexpr MessageT msg_RequestAgain = 902;
constexpr MessageT msg_KeepWhatArrived = 903;

constexpr long kBulkDumpSize = 141;
constexpr long kBulkRequestSize = 14;
constexpr long kMaxTitleLength = 128;

extern const unsigned char kBulkHeader[7];
extern const unsigned char kBulkHeader_100[6];
extern const unsigned char kBulkTransRequest[kBulkRequestSize];
extern const unsigned char kBulkReceiveRequest[kBulkRequestSize];
extern const unsigned char kSMFHeaderText[];  // "KVX message set 200", length-prefixed

class CPatch : public CMidiInHandler, public LBroadcaster {
 public:
  using CopyrightNotice = std::vector<std::uint8_t>;

  // Everything of the patch that a user's edit can change, and the modified flag.
  struct SSnapshot {
    unsigned char title[kMaxTitleLength + 1] = {0};
    SPatchParam params[kControllerCount] = {};
    std::vector<CopyrightNotice> copyrights;
    bool modified = false;
    bool operator==(const SSnapshot& other) const;
  };

  CPatch();
  ~CPatch() override;

  // --- controller table
  static bool ValidParamIndex(long index) { return index >= 0 && index < kControllerCount; }
  long GetControllerType(long index) const;
  ConstStr255Param GetControllerDescriptor(long index) const;
  bool IsControllerButton(long index) const;

  // --- records
  SPatchParam* GetParam(long index);
  const SPatchParam* GetParam(long index) const;
  void GetParam(long index, SPatchParam& out) const;
  virtual void SetParam(long index, const SPatchParam* param);
  virtual void ClearParam(long index);
  virtual void InitAllParams();
  virtual long GetAssignMessage(long index) const;
  virtual long GetOutputPort(long index) const;
  virtual long GetParamStructSize(long msgType) const;

  // --- captions
  virtual void GetShortParamCaption(long index, Str255 out) const;

  // --- patch file
  // 0; the reader's 1, 2 or 3 when the file is no MIDI file (alert 3); -1 when it is not a
  // patch file (alert 4, or 8 for the older format). Starts with InitAllParams. A file larger
  // than kMaxFileSize is refused (3) before it is read.
  virtual short LoadSMF(const FSSpec& file);
  // Patch files take about 7.5 KB; this leaves room for long notices and foreign events.
  static constexpr std::uintmax_t kMaxFileSize = 1024 * 1024;
  // 0, or -1 when the file could not be written; the old file is then left as it was and the
  // patch stays modified. Shows no alert.
  virtual short SaveSMF(const FSSpec& file);
  // The same without a file: loads from bytes in memory, and builds the bytes SaveSMF writes.
  short LoadSMFData(std::span<const std::uint8_t> bytes);
  std::vector<std::uint8_t> MakeSMFData() const;

  // --- device transfer (main thread; both run modal dialogs through StDialogHandler, owned by
  // `super`)
  enum class ETransmitOutcome {
    NotSent,       // the ports cannot be used, or the user said no
    Sent,          // 50 dumps went out (not checked)
    Verified,      // the device sent back what was sent
    VerifyFailed,  // after every send some controllers still differ (or never came back)
    Cancelled,     // the user stopped it; the dumps already sent stay sent
    Failed,        // a send failed on the way (alert 7 was shown)
  };
  struct STransmitReport {
    ETransmitOutcome outcome = ETransmitOutcome::NotSent;
    int sends = 0;                // whole patches sent (a cancelled one counts)
    long dumpsSent = 0;           // dumps of the last send that went out
    std::vector<long> differing;  // after the last read-back: controllers unequal or missing
    bool answered = false;        // the device sent anything back when asked
    std::uint32_t dropouts = 0;   // the MIDI server's dropouts during the whole transfer
  };
  static constexpr int kVerifySendAttempts = 3;  // the first send and two more

  // Sends the 50 bulk dumps on output port 0, at least 4 ticks apart, after a confirmation;
  // the user may cancel between two dumps. Alert 7 when the port cannot be used, or when a send
  // fails on the way.
  virtual void Transmit(LCommander* super);
  // The same, then with `verify` asks the device for its patch and compares it with this one,
  // controller by controller; while some differ or did not come, sends the whole patch again,
  // up to kVerifySendAttempts sends in all. Cancel works at every stage.
  STransmitReport TransmitPatch(LCommander* super, bool verify);
  // What a transfer's end tells the user: "Sent and verified.", the controllers that still
  // differ, the dropouts the MIDI server reported; empty for a plain send without dropouts,
  // one not sent, or one cancelled.
  static std::string DescribeTransmit(const STransmitReport& report);

  enum class ERetrieveOutcome {
    Complete,     // every controller came, and the device went quiet
    Kept,         // the user kept what arrived (some controllers are missing)
    Cancelled,    // the user cancelled; what arrived stays in the patch
    Unavailable,  // the ports cannot be used (alert 7)
  };
  // Empties the patch, then takes bulk dumps from input port 0 until every controller has come
  // (a controller that comes twice keeps its later dump and counts once) and 16 ticks passed
  // without one, or the user ends it. When the device has been quiet for a second with
  // controllers missing, the progress dialog names them and offers Request Again and Keep
  // What Arrived. Alert 7 when the ports cannot be used.
  virtual ERetrieveOutcome Retreive(LCommander* super);

  // --- bulk dumps (the reading side follows mVersion; 100 selects the older format)
  // Asks the device to transmit its dumps (argument 0) or to receive ours (any other value):
  // one request on output port 0. Alert 7 when the port cannot be used. Before a transmit
  // request it sets the retrieval's queue listening on input port 0, for Retreive to take over.
  virtual void BulkTrReRequest(long receive);
  virtual bool IsKVXSysx(const unsigned char* bytes, long length) const;
  virtual long CheckBulkSysx(const unsigned char* bytes, long length) const;
  virtual void ExtractBulkData(long index, const unsigned char* bytes);
  // Writes the 141-byte dump of controller `index` (always the current format); returns 141,
  // or 0 for an invalid index.
  virtual long MakeBulkSysx(long index, unsigned char* out) const;
  // The record a dump accepted by CheckBulkSysx fills: the index itself, or for the older
  // format the old index moved to its controller's row; -1 when there is none.
  long GetDumpTargetIndex(long dumpIndex) const;

  // --- receiving from the device (CMidiInHandler)
  // A dump whose checksum is wrong is not stored and not counted: its controller is noted as
  // damaged (until a good dump for it comes), and the retrieval cannot complete.
  void ProcessMessage(const unsigned char* bytes, long length) override;
  // The controllers (rows) no good dump has come for since the retrieval began, in order.
  std::vector<long> GetMissingControllers() const;
  // Descriptors of `rows` joined by ", " ("R3, A7").
  static std::string DescribeControllers(const std::vector<long>& rows);

  // --- damaged dumps
  // Whether the checksum of a dump that CheckBulkSysx accepted is right. Dumps of the older
  // format carry none that is checked: they always pass.
  bool HasValidChecksum(const unsigned char* bytes, long length) const;
  // The controllers (rows) whose dumps came damaged, in the order they came: from the device
  // during the retrieval under way or last run, or from the patch file last loaded (which is
  // loaded all the same). Emptied with the patch (InitAllParams).
  const std::vector<long>& GetDamagedDumps() const { return mDamagedDumps; }
  // Their descriptors joined by ", " ("R3, A7").
  std::string GetDamagedDumpsText() const;

  // --- title, version, state
  StringPtr GetPatchTitle(Str255 out) const;
  ConstStr255Param PatchTitle() const { return mTitle; }
  void SetPatchTitle(ConstStr255Param title);
  std::uint32_t GetVersion() const { return mVersion; }
  void SetVersion(std::uint32_t version) { mVersion = version; }
  void SetCurrentVersion() { mVersion = kPatchVersion; }
  bool IsModified() const { return mModified; }
  // The patch differs from its file although no record changed (an incomplete retrieval).
  void MarkModified() { mModified = true; }

  // --- undo
  SSnapshot TakeSnapshot() const;
  void RestoreSnapshot(const SSnapshot& snapshot);
  // The patch's undo history, kept for the patch's whole life.
  CPatchHistory& GetHistory() { return *mHistory; }
  // The distinct controllers received since the retrieval began.
  std::uint16_t GetReceivedCount() const { return mReceivedCount; }
  // Every good dump received since the retrieval began, a controller sent twice twice.
  std::uint32_t GetArrivedDumpCount() const { return mArrivedDumps; }

  const std::vector<CopyrightNotice>& GetCopyrights() const { return mCopyrights; }
  void AddCopyright(CopyrightNotice notice) { mCopyrights.push_back(std::move(notice)); }

  static std::uint32_t GetLEndianUInt32(std::uint32_t value);
  static std::uint16_t GetLEndianUInt16(std::uint16_t value);

 protected:
  void WritePatchEvents(CSMFWriter& writer) const;
  // `displayName` names the file in alerts (none for bytes in memory).
  short ReadPatchEvents(CSMFReader& reader, short openResult, const std::string& displayName);

  std::uint32_t mVersion = kPatchVersion;
  unsigned char mTitle[kMaxTitleLength + 1] = {0};
  SPatchParam mParams[kControllerCount] = {};
  bool mModified = false;
  std::uint16_t mReceivedCount = 0;
  std::bitset<kControllerCount> mReceivedControllers;
  std::uint32_t mArrivedDumps = 0;
  std::vector<CopyrightNotice> mCopyrights;
  std::vector<long> mDamagedDumps;

 private:
  void NoteDamagedDump(long row);
  void StartCounting();
  // The progress part of a retrieval, once the first dump came.
  ERetrieveOutcome FollowRetrieval(CMidiOperation& service, LCommander* super);
  // The rows where `other` does not hold what this patch's dumps would put there, or that
  // `other` never received.
  std::vector<long> DifferingControllers(const CPatch& other) const;
  // One send of the 50 dumps under `progress`; false when a send failed. `message` keeps the
  // dialog's last answer (Cancel ends it early).
  bool SendDumps(CMidiOperation& service, StDialogHandler& progress, MessageT& message,
                 long& dumpsSent) const;
  // Asks the device for its patch and takes it into a fresh patch: the rows that differ, or
  // nothing when the user cancelled. `answered` tells whether any dump came.
  std::optional<std::vector<long>> ReadBack(StDialogHandler& progress, MessageT& message,
                                            bool& answered) const;
  // Set listening by a transmit request, so that dumps the device sends at once are kept; it
  // hands nothing on until Retreive takes it over. (A shared_ptr, so that the patch can
  // release it without the queue's complete type.)
  std::shared_ptr<CMidiInQueue> mRetrieveQueue;
  std::unique_ptr<CPatchHistory> mHistory;
};
