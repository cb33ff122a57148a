// Fuzz target for the archive expander and its decoders.
//
// LLVMFuzzerTestOneInput takes any bytes as an archive and expands every
// entry into a scratch folder, then runs the run-length, LZH and LH5
// decoders over the same bytes as raw stored data. Anything but one of the
// expander's own exceptions, and any sanitizer report, is a finding.
//
// The seeds (corpus/archive/) are small archives of every method, plain and
// locked with a key, and the Senate list packed with LZH and LH5.
#include <unistd.h>
#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <sstream>
#include <string>

#include "compress/archive_errors.h"
#include "compress/archiver.h"
#include "compress/basic_methods.h"
#include "compress/codec_state.h"

namespace {

namespace fs = std::filesystem;
using namespace qv::compress;

// Entries larger than this are refused as "no disk space", which bounds the
// output of a damaged header that claims a huge expanded size.
class TScratchSpace : public TFreeSpaceQuery {
  public:
    std::int64_t DiskFreeBytes(const std::string&) const override { return 1 << 20; }
};

// The scratch folder lives as long as the process; libFuzzer gives the
// target no other place to keep it.
const fs::path& ScratchFolder() {
    static const fs::path folder = [] {
        fs::path p = fs::temp_directory_path() / ("qv-archive-fuzz-" + std::to_string(getpid()));
        fs::create_directories(p);
        return p;
    }();
    return folder;
}

void ExpandArchive(const std::string& bytes) {
    TArchiver archiver(std::make_shared<TScratchSpace>());
    archiver.SetTargetPath(ScratchFolder().string());
    archiver.SetMakeDirectories(true);
    archiver.SetCheckSpaceBeforeExpand(true);
    archiver.SetExceptionOnFileError(!bytes.empty() && (bytes.back() & 1) != 0);
    std::istringstream in(bytes);
    try {
        archiver.ExpandArchiveStream(in, nullptr);
    } catch (const EArchiveError&) {
    }
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(ScratchFolder(), ec)) {
        fs::permissions(entry.path(), fs::perms::owner_all, fs::perm_options::add, ec);
        fs::remove_all(entry.path(), ec);
    }
}

void DecodeRaw(const std::string& bytes) {
    // Enough output to run past the input, little enough to stay fast.
    const auto count =
        static_cast<std::int32_t>(std::min<std::size_t>(8 * bytes.size() + 64, 8192));
    for (std::uint8_t method : {1, 2, 4}) {  // run-length, LZH, LH5
        std::istringstream in(bytes);
        std::ostringstream out;
        TCodecState state;
        state.BeginEntry(in, out, static_cast<std::int32_t>(bytes.size()), 0, false, nullptr);
        try {
            DecodeMethod(state, method, count);
            state.FlushOutput();
        } catch (const ELZHBadDecodeTable&) {
        }
        state.EndEntry();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    ExpandArchive(bytes);
    DecodeRaw(bytes);
    return 0;
}
