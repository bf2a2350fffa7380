// The session's options as the stores it opens take them.
#pragma once

#include "session/session.h"
#include "store/store.h"

namespace crqx::session {

// BUSY_TIMEOUT, and DURABILITY (NORMAL 1, FULL 2).
inline store::StoreOptions store_options() {
    store::StoreOptions options;
    options.busy_timeout_ms = static_cast<int>(option("BUSY_TIMEOUT"));
    options.durability =
        option("DURABILITY") == 1 ? store::Durability::Process : store::Durability::PowerLoss;
    return options;
}

}  // namespace crqx::session
