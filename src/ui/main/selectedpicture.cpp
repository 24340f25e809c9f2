#include "selectedpicture.h"

#include "fileexists.h"
#include "picturefile.h"
#include "uprightsize.h"

#include <QImageReader>

#include <algorithm>

SelectedPicture SelectedPicture::load(const QString &path, int limit) {
    SelectedPicture result;
    if (!fileExists(path)) {
        result.state = fileIsDefinitelyGone(path) ? State::Gone : State::Unreachable;
        return result;
    }
    const Result<std::unique_ptr<QFile>> file = openPictureFile(path);
    if (!file)
        return result;
    QImageReader reader(file->get());
    result.naturalSize = uprightSize(reader);
    if (result.naturalSize.isValid() &&
        std::max(result.naturalSize.width(), result.naturalSize.height()) > limit)
        setUprightScaledSize(reader, result.naturalSize.scaled(limit, limit, Qt::KeepAspectRatio));
    result.picture = reader.read();
    if (result.picture.isNull())
        return result;
    if (!result.naturalSize.isValid())
        result.naturalSize = result.picture.size();
    result.state = State::Shown;
    return result;
}
