#include "sent/sent_records.h"

#include <utility>

#include "sent/sent_errors.h"

namespace qv::sent {

TSentStore* TSentRecords::Store() {
    if (store_ == nullptr) {
        try {
            store_ = std::make_unique<TSentStore>(path_);
            if (!store_->SetAsidePath().empty()) {
                notice_ = "The record of sent messages was damaged. It was set aside as " +
                          store_->SetAsidePath() + " and a new record was started.";
            }
        } catch (const ESentRecordError& error) {
            notice_ = error.what();
        }
    }
    return store_.get();
}

std::string TSentRecords::TakeNotice() {
    return std::exchange(notice_, {});
}

}  // namespace qv::sent
