#include "platform/paths.h"

namespace volmarin {

QString joinPath(const QString& folder, const QString& name) {
    return folder + u'/' + name;
}

} // namespace volmarin
