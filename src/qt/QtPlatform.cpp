// Where the Qt ports keep per-user things.
#include "qt/QtPlatform.h"

namespace qt {

std::string UserStoreFolder() {
    return CurrentLayout().userStore;
}

}  // namespace qt
