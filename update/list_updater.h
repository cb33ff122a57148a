// TListUpdater: brings the five list files up to date from the update server
// and its mirror, with or without a window.
//
// A check fetches the dates file from the update server and compares each
// list's server date with its "File Dates" entry in the settings; the lists
// whose server copy is strictly newer are flagged. A download run then
// fetches each flagged list's archive, from the update server or, once a
// download from it has failed, from the mirror for the rest of the run;
// expands its "temp2.dat" entry; installs it over the list file (written
// beside it and renamed into place, so a list file is never left half
// written); reloads the list with its reader; and records the server's date
// when the reader accepts the file. A run that completes every flagged list
// writes the settings file.
//
// An archive is expanded only once its signature (the archive's name +
// ".sig", beside it on the same server) verifies against a trusted key; a
// missing or bad signature fails the list like a failed expansion, and the
// final warning then says that the signature did not verify.
//
// The lists are installed into the program's folder, or, where the user
// cannot write it, into the user's data folder (ListFolders in
// update/list_folders.h), created when the run starts. Files there while a
// run works: "temp.dat", the archive being downloaded (left in place after a
// completed run), and the expanded entry "temp2.dat". A run that fails or is
// aborted removes both.
//
// Threading and lifetime: lives on the user-interface thread, whose event
// loop drives the HTTP client; nothing here blocks on the network or runs a
// nested event loop. Every event below is called on that thread. A handler
// may call Abort; it must not destroy the updater (post the destruction, as
// deleteLater does). Destroying the updater ends a request in progress
// without any further event. The settings record passed in must outlive it.
#pragma once

#include <QObject>
#include <QTimer>
#include <array>
#include <chrono>
#include <fstream>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "compress/archiver.h"
#include "settings/settings.h"
#include "update/dates_file.h"
#include "update/http_client.h"
#include "update/list_signature.h"
#include "update/tls_socket.h"

namespace qv {

class TBoundedTextBuffer;

// Where a check and a run fetch from, and whom they trust.
struct TUpdateServers {
    // The update server's list directory, then the mirror's (ServerBase).
    // Each ends in "/"; the dates file, the archives and their signatures
    // are fetched as the base followed by their names.
    std::array<std::string, 2> Base;
    // An archive is installed only with a signature by one of these keys.
    std::vector<TPublicKey> TrustedKeys;
    // For https bases: certificate authorities trusted besides the system's.
    THttpTlsOptions Tls;
};

// The built-in servers of update/servers.h and the built-in keys.
TUpdateServers DefaultUpdateServers();

inline constexpr const char* kDatesFileName = "qndates2.dat";
inline constexpr const char* kArchiveFileName = "temp.dat";
inline constexpr const char* kArchiveEntryName = "temp2.dat";

inline constexpr const char* kUpdatesAvailableLine =
    "Updates are available for the following lists: ";
inline constexpr const char* kNoUpdatesText = "No updates are presently available.";

// A request that receives nothing for this long fails as timed out, so that a
// server that accepts and then stays silent hands over to the mirror instead
// of holding the run for ever.
inline constexpr std::chrono::milliseconds kDefaultIdleLimit{60000};

// A dates file larger than this is refused: it is held in memory.
inline constexpr std::size_t kMaxDatesFileSize = 64 * 1024;
// Nor is a signature file beyond this size.
inline constexpr std::size_t kMaxSignatureFileSize = 1024;

enum class TCheckOutcome {
    Failed,  // the dates file could not be fetched; the status line says why
    Empty,   // the server sent an empty dates file: nothing to compare
    Done,    // compared; UpdateFlags says which lists are newer
};

enum class TRunOutcome {
    Completed,  // every flagged list was handled and the settings were written
    Failed,     // a list failed on both servers (or a file step failed); a warning said so
    Aborted,    // Abort ended the run
};

class TListUpdater : public QObject {
  public:
    using TTextEvent = std::function<void(const std::string& text)>;

    // `programDirectory` ends in "/": the program's folder, whose lists are
    // updated there or in the user's data folder (see above). `saveSettings`
    // writes `settings` to the settings file and may raise
    // (ESettingsWriteError).
    TListUpdater(std::string programDirectory, TUpdateServers servers,
                 TSettings& settings = Settings, std::function<void()> saveSettings = SaveSettings,
                 QObject* parent = nullptr);
    ~TListUpdater() override;

    // The status line: the step under way, progress, or a failure.
    TTextEvent OnStatus;
    // A warning the user must see (a window shows it with one OK button).
    TTextEvent OnWarning;
    std::function<void(TCheckOutcome outcome)> OnCheckDone;
    // A list file was replaced; `dated` is true when its reader accepted it
    // and its date in the settings advanced to the server's.
    std::function<void(TUpdateList list, bool dated)> OnListInstalled;
    std::function<void(TRunOutcome outcome)> OnRunDone;

    // Starts a check; OnCheckDone reports its end. Does nothing while a check
    // or run is under way.
    void StartCheck();
    // Starts a download run of the flagged lists; OnRunDone reports its end
    // (at once when no list is flagged). Does nothing while busy.
    void StartDownload();
    // Ends the check or run in progress: the request in progress ends, and
    // a run ends without reloading or dating the list under way and without
    // writing the settings. Safe to call when idle.
    void Abort();

    bool Busy() const { return step_ != TStep::Idle; }
    bool Aborted() const { return aborted_; }
    // Per list, indexed by TUpdateList: the server's copy is newer.
    const std::array<bool, kUpdateListCount>& UpdateFlags() const { return updateFlags_; }
    bool AnyUpdate() const;
    // The lines a check shows: kUpdatesAvailableLine, then the memo line of
    // each flagged list in the order of the dates file.
    std::vector<std::string> MemoLines() const;
    // 0 while the update server serves the run, 1 once the mirror has taken over.
    std::size_t ServerIndex() const { return serverIndex_; }
    const std::string& Status() const { return status_; }

    // How long a request may go without receiving anything.
    void SetIdleLimit(std::chrono::milliseconds limit) { idleLimit_ = limit; }

  private:
    enum class TStep { Idle, Checking, Downloading, FetchingSignature };

    void SetUpProxy();
    bool StartRequest(TStep step);
    // Fetches HttpClient1->URL into a text buffer of at most maxBytes (the
    // dates file, a signature); TakeText hands the text over once the request
    // has ended and drops the buffer. False: the request did not start.
    bool StartTextRequest(std::size_t maxBytes, TStep step);
    std::string TakeText();
    void RequestDone();
    void DocData();
    void IdleTimeout();
    void Failed(int status, const std::string& reason);
    void SetStatus(const std::string& text);
    void Warn(const std::string& text);

    void CheckDone();

    void NextList();
    void BeginUpdateList();
    void ArchiveReceived();
    void SignatureReceived();
    bool ArchiveVerifies(const std::string& signature) const;
    int InstallArchive();
    bool CopyOverListFile(const std::string& expanded, const std::string& target);
    void ListResult(int result);
    bool ReloadList(TUpdateList list);
    void EndRun(TRunOutcome outcome);
    void RemoveWorkFiles();

    std::string dir_;
    TUpdateServers servers_;
    TSettings& settings_;
    std::function<void()> saveSettings_;

    THttpClient* HttpClient1;  // owned as a child
    compress::TArchiver Archiver1;
    QTimer idleTimer_;
    std::chrono::milliseconds idleLimit_ = kDefaultIdleLimit;

    TStep step_ = TStep::Idle;
    bool aborted_ = false;
    bool timedOut_ = false;
    bool failed_ = false;  // the last request failed, with the status and reason below
    std::string status_;
    std::array<bool, kUpdateListCount> updateFlags_{};

    // The dates file or a signature, as it arrives.
    std::unique_ptr<TBoundedTextBuffer> textBuffer_;
    std::unique_ptr<std::ostream> textStream_;

    std::vector<TUpdateList> runLists_;
    std::size_t runPosition_ = 0;
    std::size_t serverIndex_ = 0;
    std::ofstream archiveFile_;
    std::string expandedName_;
    bool signatureFailed_ = false;  // the list's last attempt failed on its signature
    int failedStatus_ = 0;
    std::string failedReason_;
};

}  // namespace qv
