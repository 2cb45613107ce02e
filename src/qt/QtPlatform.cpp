// Where the Qt ports keep per-user things.
#include "qt/QtPlatform.h"

#include <QStandardPaths>

namespace qt {

std::string UserStoreFolder() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation).toStdString();
}

}  // namespace qt
