#include "update/list_updater.h"

#include <cerrno>
#include <filesystem>
#include <streambuf>
#include <system_error>

#include "base/pending_file.h"
#include "compress/archive_errors.h"
#include "lists/official_list.h"
#include "lists/parliament_tree.h"
#include "settings/environment.h"
#include "update/list_folders.h"
#include "update/servers.h"

namespace qv {

namespace fs = std::filesystem;

// Collects a response in memory up to a limit; a write past it fails, which
// fails the request.
class TBoundedTextBuffer : public std::streambuf {
  public:
    explicit TBoundedTextBuffer(std::size_t limit) : limit_(limit) {}
    const std::string& Text() const { return text_; }

  protected:
    std::streamsize xsputn(const char* data, std::streamsize count) override {
        const auto n = static_cast<std::size_t>(count);
        if (n > limit_ - text_.size()) {
            return 0;
        }
        text_.append(data, n);
        return count;
    }
    int_type overflow(int_type c) override {
        if (traits_type::eq_int_type(c, traits_type::eof())) {
            return traits_type::not_eof(c);
        }
        if (text_.size() >= limit_) {
            return traits_type::eof();
        }
        text_.push_back(traits_type::to_char_type(c));
        return c;
    }

  private:
    std::size_t limit_;
    std::string text_;
};

namespace {

constexpr int kLocalFailureStatus = 404;

std::string TimedOutReason() {
    return HttpSocketErrorText(sockerr::kTimedOut) + " (Error #" +
           std::to_string(sockerr::kTimedOut) + ")";
}

}  // namespace

TUpdateServers DefaultUpdateServers() {
    return {{std::string(servers::kUpdateScheme) + "://" + servers::kUpdateHost +
                 servers::kListDirectory,
             servers::kMirrorBase},
            TrustedListKeys(),
            {}};
}

TListUpdater::TListUpdater(std::string programDirectory, TUpdateServers servers,
                           TSettings& settings, std::function<void()> saveSettings, QObject* parent)
    : QObject(parent),
      dir_(ListFolders(programDirectory).Install),
      servers_(std::move(servers)),
      settings_(settings),
      saveSettings_(std::move(saveSettings)),
      HttpClient1(new THttpClient(this, SocketFactory(servers_.Tls))) {
    // The updater's own settings of the archive component.
    Archiver1.SetMakeDirectories(true);
    Archiver1.SetExceptionOnFileError(true);
    Archiver1.SetCheckSpaceBeforeExpand(true);
    Archiver1.SetKey(0);

    HttpClient1->OnRequestDone = [this](THttpClient&, THttpRequest, int) { RequestDone(); };
    HttpClient1->OnDocData = [this](THttpClient&, const char*, std::size_t) { DocData(); };
    idleTimer_.setSingleShot(true);
    connect(&idleTimer_, &QTimer::timeout, this, &TListUpdater::IdleTimeout);
}

TListUpdater::~TListUpdater() {
    HttpClient1->OnRequestDone = nullptr;
    HttpClient1->OnDocData = nullptr;
    HttpClient1->AbortRequest();
    if (archiveFile_.is_open()) {
        archiveFile_.close();
    }
    if (step_ == TStep::Downloading || step_ == TStep::FetchingSignature) {
        RemoveWorkFiles();
    }
}

bool TListUpdater::AnyUpdate() const {
    for (bool flag : updateFlags_) {
        if (flag) {
            return true;
        }
    }
    return false;
}

std::vector<std::string> TListUpdater::MemoLines() const {
    std::vector<std::string> lines{kUpdatesAvailableLine};
    for (TUpdateList list : kDatesFileOrder) {
        if (updateFlags_[static_cast<std::size_t>(list)]) {
            lines.emplace_back(UpdateListInfo(list).MemoLine);
        }
    }
    return lines;
}

void TListUpdater::SetStatus(const std::string& text) {
    status_ = text;
    if (OnStatus) {
        OnStatus(text);
    }
}

void TListUpdater::Warn(const std::string& text) {
    if (OnWarning) {
        OnWarning(text);
    }
}

void TListUpdater::SetUpProxy() {
    if (!settings_.UseProxy) {
        HttpClient1->Proxy.clear();  // connect directly
        return;
    }
    HttpClient1->Proxy = settings_.ProxyHost;
    HttpClient1->ProxyPort = std::to_string(settings_.ProxyPort);
    if (settings_.UseProxyAuthorization) {
        HttpClient1->ProxyUsername = settings_.ProxyUsername;
        HttpClient1->ProxyPassword = settings_.ProxyPassword;
    }
}

// Starts the GET prepared in HttpClient1. A request the client refuses to
// start counts as a failed one, with the client's reason.
bool TListUpdater::StartRequest(TStep step) {
    step_ = step;
    timedOut_ = false;
    failed_ = false;
    try {
        HttpClient1->Get();
    } catch (const EHttpException& e) {
        Failed(e.ErrorCode(), e.what());
        return false;
    }
    idleTimer_.start(idleLimit_);
    return true;
}

void TListUpdater::Failed(int status, const std::string& reason) {
    failed_ = true;
    failedStatus_ = status;
    failedReason_ = reason;
}

void TListUpdater::DocData() {
    idleTimer_.start(idleLimit_);
    if (step_ == TStep::FetchingSignature) {
        return;
    }
    const long long received = HttpClient1->ReceivedBytes();
    const long long size = HttpClient1->ContentSize();
    SetStatus(size > 0
                  ? std::to_string(received) + " Of " + std::to_string(size) + " bytes received."
                  : std::to_string(received) + " bytes received.");
}

void TListUpdater::IdleTimeout() {
    if (HttpClient1->HttpState() != THttpState::Ready) {
        timedOut_ = true;
        HttpClient1->AbortRequest();
    }
}

void TListUpdater::RequestDone() {
    idleTimer_.stop();
    if (HttpClient1->HttpState() != THttpState::Ready) {
        return;  // the report of a request that another has replaced
    }
    if (timedOut_) {
        Failed(kLocalFailureStatus, TimedOutReason());
    } else if (HttpClient1->ResponseStatus() >= 400) {
        Failed(HttpClient1->ResponseStatus(), HttpClient1->ResponseReason());
    }
    switch (step_) {
        case TStep::Checking:
            CheckDone();
            break;
        case TStep::Downloading:
            ArchiveReceived();
            break;
        case TStep::FetchingSignature:
            SignatureReceived();
            break;
        case TStep::Idle:
            break;
    }
}

// ---- The check ------------------------------------------------------------

bool TListUpdater::StartTextRequest(std::size_t maxBytes, TStep step) {
    textBuffer_ = std::make_unique<TBoundedTextBuffer>(maxBytes);
    textStream_ = std::make_unique<std::ostream>(textBuffer_.get());
    HttpClient1->ResponseStream = textStream_.get();
    return StartRequest(step);
}

std::string TListUpdater::TakeText() {
    HttpClient1->ResponseStream = nullptr;
    std::string text = textBuffer_ ? textBuffer_->Text() : std::string();
    textStream_.reset();
    textBuffer_.reset();
    return text;
}

void TListUpdater::StartCheck() {
    if (Busy()) {
        return;
    }
    aborted_ = false;
    SetUpProxy();
    HttpClient1->URL = servers_.Base[0] + kDatesFileName;
    if (!StartTextRequest(kMaxDatesFileSize, TStep::Checking)) {
        CheckDone();
    }
}

void TListUpdater::CheckDone() {
    step_ = TStep::Idle;
    const std::string text = TakeText();
    if (failed_) {
        SetStatus("Failed: " + std::to_string(failedStatus_) + " " + failedReason_);
        if (OnCheckDone) {
            OnCheckDone(TCheckOutcome::Failed);
        }
        return;
    }
    if (text.empty()) {
        if (OnCheckDone) {
            OnCheckDone(TCheckOutcome::Empty);
        }
        return;
    }
    for (const std::string& warning : ParseDatesFile(text, ServerDate)) {
        Warn(warning);
    }
    for (TUpdateList list : kDatesFileOrder) {
        const auto i = static_cast<std::size_t>(list);
        updateFlags_[i] = ServerDate[i] > settings_.*UpdateListInfo(list).FileDate;
    }
    SetStatus("");
    if (OnCheckDone) {
        OnCheckDone(TCheckOutcome::Done);
    }
}

// ---- The download run -----------------------------------------------------

void TListUpdater::StartDownload() {
    if (Busy()) {
        return;
    }
    serverIndex_ = 0;
    runLists_.clear();
    for (TUpdateList list : kDownloadOrder) {
        if (updateFlags_[static_cast<std::size_t>(list)]) {
            runLists_.push_back(list);
        }
    }
    runPosition_ = 0;
    step_ = TStep::Downloading;
    // The user's data folder may not exist yet; a failure shows at the first write.
    MakeUserFolders(dir_);
    NextList();
}

void TListUpdater::NextList() {
    if (aborted_) {
        EndRun(TRunOutcome::Aborted);
        return;
    }
    if (runPosition_ < runLists_.size()) {
        BeginUpdateList();
        return;
    }
    try {
        saveSettings_();
    } catch (const std::exception& e) {
        Warn(e.what());
        EndRun(TRunOutcome::Failed);
        return;
    }
    EndRun(TRunOutcome::Completed);
}

void TListUpdater::BeginUpdateList() {
    const TUpdateListInfo& info = UpdateListInfo(runLists_[runPosition_]);
    SetUpProxy();
    HttpClient1->URL = servers_.Base[serverIndex_] + info.ArchiveName;
    signatureFailed_ = false;
    const std::string archive = dir_ + kArchiveFileName;
    archiveFile_.clear();
    archiveFile_.open(archive, std::ios::binary | std::ios::out | std::ios::trunc);
    if (!archiveFile_.is_open()) {
        const std::error_code error(errno, std::generic_category());
        Warn(compress::EFCreateError(archive, error.message()).what());
        EndRun(TRunOutcome::Failed);
        return;
    }
    HttpClient1->ResponseStream = &archiveFile_;
    SetStatus(std::string("Loading ") + info.Title + " List.");
    if (!StartRequest(TStep::Downloading)) {
        archiveFile_.close();
        ListResult(-1);
    }
}

void TListUpdater::ArchiveReceived() {
    HttpClient1->ResponseStream = nullptr;
    archiveFile_.close();
    if (aborted_) {
        EndRun(TRunOutcome::Aborted);
        return;
    }
    if (!failed_ && archiveFile_.fail()) {
        Failed(kLocalFailureStatus, "Can't write " + dir_ + kArchiveFileName);
    }
    if (failed_) {
        SetStatus("Failed : " + std::to_string(failedStatus_) + " " + failedReason_);
        ListResult(-1);
        return;
    }
    SetStatus("Received " + std::to_string(HttpClient1->ReceivedBytes()) + " bytes");

    HttpClient1->URL += kSignatureSuffix;
    if (!StartTextRequest(kMaxSignatureFileSize, TStep::FetchingSignature)) {
        SignatureReceived();
    }
}

// A signature that cannot be fetched counts as one that does not verify.
void TListUpdater::SignatureReceived() {
    const std::string signature = TakeText();
    if (aborted_) {
        EndRun(TRunOutcome::Aborted);
        return;
    }
    if (failed_ || !ArchiveVerifies(signature)) {
        signatureFailed_ = true;
        SetStatus(std::string("Signature did not verify: ") +
                  UpdateListInfo(runLists_[runPosition_]).ArchiveName);
        ListResult(-2);
        return;
    }
    ListResult(InstallArchive());
}

bool TListUpdater::ArchiveVerifies(const std::string& signature) const {
    const std::string path = dir_ + kArchiveFileName;
    std::error_code ec;
    const auto size = fs::file_size(path, ec);
    if (ec || size > kMaxSignedArchiveSize) {
        return false;
    }
    std::ifstream in(path, std::ios::binary);
    std::string content(static_cast<std::size_t>(size), '\0');
    if (!in.read(content.data(), static_cast<std::streamsize>(size))) {
        return false;
    }
    return VerifyArchive(UpdateListInfo(runLists_[runPosition_]).ArchiveName, content, signature,
                         servers_.TrustedKeys);
}

// Expands the downloaded archive's list and puts it in place of the list
// file. 0 once expanded, whatever the later file steps give (they warn for
// themselves); -2 when the expansion fails, which leaves the list file alone.
int TListUpdater::InstallArchive() {
    const TUpdateListInfo& info = UpdateListInfo(runLists_[runPosition_]);
    Archiver1.SetTargetPath(dir_);
    expandedName_ = kArchiveEntryName;
    try {
        Archiver1.ExpandNamedFile(expandedName_, dir_ + kArchiveFileName);
    } catch (const std::exception&) {
        expandedName_.clear();
        return -2;
    }
    if (!CopyOverListFile(expandedName_, dir_ + info.LocalFile)) {
        Warn("File copy failed: " + expandedName_);
    }
    std::error_code ec;
    if (expandedName_.empty() || !fs::remove(expandedName_, ec)) {
        Warn("File deletion failed: " + expandedName_);
    }
    return 0;
}

bool TListUpdater::CopyOverListFile(const std::string& expanded, const std::string& target) {
    if (expanded.empty()) {
        return false;
    }
    try {
        std::ifstream in(expanded, std::ios::binary);
        if (!in.is_open()) {
            return false;
        }
        // Durable before it replaces the list, and a list file that is a link
        // (a shared installation's) stays one.
        TPendingFile out(target, {.SyncToDisk = true, .Mode = std::nullopt, .FollowLink = true});
        out.Stream() << in.rdbuf();
        if (in.bad()) {
            return false;
        }
        out.Commit();
        return true;
    } catch (const std::exception&) {
        return false;
    }
}

void TListUpdater::ListResult(int result) {
    if (aborted_) {
        EndRun(TRunOutcome::Aborted);
        return;
    }
    const TUpdateList list = runLists_[runPosition_];
    const TUpdateListInfo& info = UpdateListInfo(list);
    if (result != 0) {
        if (++serverIndex_ < servers_.Base.size()) {
            BeginUpdateList();
            return;
        }
        if (result == -1) {
            Warn(std::string("Error receiving list: ") +
                 (list == TUpdateList::Senate ? std::to_string(failedStatus_) + ":" : "") +
                 failedReason_);
        } else {
            Warn(std::string("Error decompressing file: ") + info.Title +
                 (signatureFailed_ ? std::string("\nThe signature of the ") + info.Title +
                                         " list did not verify."
                                   : std::string()));
        }
        EndRun(TRunOutcome::Failed);
        return;
    }
    const bool dated = ReloadList(list);
    if (dated) {
        settings_.*info.FileDate = ServerDate[static_cast<std::size_t>(list)];
    }
    if (OnListInstalled) {
        OnListInstalled(list, dated);
    }
    ++runPosition_;
    NextList();
}

bool TListUpdater::ReloadList(TUpdateList list) {
    const std::string path = dir_ + UpdateListInfo(list).LocalFile;
    try {
        switch (list) {
            case TUpdateList::Senate:
                return LoadOfficialList(path, SenateList) == 0;
            case TUpdateList::House:
                return LoadOfficialList(path, HouseList) == 0;
            case TUpdateList::Leaders:
                return LoadOfficialList(path, LeaderList) == 0;
            case TUpdateList::Parliament:
                ParliamentTree.Clear();
                return LoadParliamentTree(path, ParliamentTree) == 0;
            case TUpdateList::Misc:
                return LoadMiscFile(path) == 0;
        }
    } catch (const std::exception&) {
    }
    return false;
}

void TListUpdater::EndRun(TRunOutcome outcome) {
    step_ = TStep::Idle;
    if (outcome != TRunOutcome::Completed) {
        RemoveWorkFiles();
    }
    if (OnRunDone) {
        OnRunDone(outcome);
    }
}

// Only files: a folder that stands where a work file should go is the user's.
void TListUpdater::RemoveWorkFiles() {
    for (const std::string& path :
         {dir_ + kArchiveFileName, dir_ + kArchiveEntryName, expandedName_}) {
        std::error_code ec;
        if (!path.empty() && !fs::is_directory(fs::symlink_status(path, ec))) {
            fs::remove(path, ec);
        }
    }
}

void TListUpdater::Abort() {
    aborted_ = true;
    HttpClient1->AbortRequest();
}

}  // namespace qv
