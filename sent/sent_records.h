// The program's record of sent messages for one run: opened on first use,
// kept open until the end, and reopened on a later use when it could not be
// opened before.
#pragma once

#include <memory>
#include <string>

#include "sent/sent_store.h"

namespace qv::sent {

// Owned by the program's entry and handed to the windows that record or show
// sent messages. User-interface thread only; the store it hands out may then
// be used from any thread.
class TSentRecords {
  public:
    explicit TSentRecords(std::string path = DefaultStorePath()) : path_(std::move(path)) {}

    // The store, opening it when it is not open yet; nullptr when it cannot
    // be opened.
    TSentStore* Store();

    // What the user should be told about the last opening, once: why it
    // failed, or that a damaged file was set aside and a new record started.
    // Empty when there is nothing to tell.
    std::string TakeNotice();

  private:
    std::string path_;
    std::unique_ptr<TSentStore> store_;
    std::string notice_;
};

}  // namespace qv::sent
