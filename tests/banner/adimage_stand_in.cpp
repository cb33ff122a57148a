// A stand-in for the advertising library, built as libadimage.so for the
// banner's tests: the five exports, which record their calls, and three more
// for the tests themselves (read the record, set what the next calls return,
// send a message through the program's callback). Built once more without
// "SetOffline" when QV_STAND_IN_WITHOUT_SET_OFFLINE is defined.
#include <dlfcn.h>

#include <cstdint>
#include <mutex>
#include <string>
#include <thread>
#include <type_traits>

#include "banner/ad_library.h"

namespace {

std::mutex Lock;
std::string Calls;
std::int16_t InitializeResult = 1;
std::int16_t StartMessagingResult = 1;

void Record(const std::string& call) {
    const std::lock_guard lock(Lock);
    Calls += call;
    Calls += '\n';
}

}  // namespace

extern "C" {

std::int16_t Initialize(std::uintptr_t window, std::int32_t softwareId, std::int32_t version,
                        std::int32_t bannerType, std::int32_t flags) {
    Record("Initialize " + std::to_string(window) + " " + std::to_string(softwareId) + " " +
           std::to_string(version) + " " + std::to_string(bannerType) + " " +
           std::to_string(flags));
    const std::lock_guard lock(Lock);
    return InitializeResult;
}

std::int16_t StartMessaging(std::int32_t softwareId) {
    Record("StartMessaging " + std::to_string(softwareId));
    const std::lock_guard lock(Lock);
    return StartMessagingResult;
}

void SetThrottle() {
    Record("SetThrottle");
}

void SetProxy() {
    Record("SetProxy");
}

#ifndef QV_STAND_IN_WITHOUT_SET_OFFLINE
void SetOffline() {
    Record("SetOffline");
}
#endif

// The calls so far, one line each. The text stays valid until the next call
// of this function.
const char* StandInCalls() {
    static std::string copy;
    const std::lock_guard lock(Lock);
    copy = Calls;
    return copy.c_str();
}

// Forgets the calls and sets what Initialize and StartMessaging return.
void StandInReset(std::int16_t initializeResult, std::int16_t startMessagingResult) {
    const std::lock_guard lock(Lock);
    Calls.clear();
    InitializeResult = initializeResult;
    StartMessagingResult = startMessagingResult;
}

// Reports `message` on `window` through the program's callback, from this
// thread or from a thread of the library's own; the callback's result, or -1
// when the program exports none.
int StandInSend(std::uintptr_t window, std::uint32_t message, int fromOwnThread) {
    using TNotify = decltype(&QvAdImageNotify);
    const auto notify = reinterpret_cast<TNotify>(dlsym(RTLD_DEFAULT, "QvAdImageNotify"));
    if (notify == nullptr)
        return -1;
    if (fromOwnThread == 0)
        return notify(window, message);
    int result = 0;
    std::thread sender([&] { result = notify(window, message); });
    sender.join();
    return result;
}
}

static_assert(std::is_same_v<decltype(&Initialize), TAdInitialize>);
static_assert(std::is_same_v<decltype(&StartMessaging), TAdStartMessaging>);
static_assert(std::is_same_v<decltype(&SetThrottle), TAdUnused>);
