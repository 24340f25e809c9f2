#include "pictureadder.h"

#include <cmath>

PictureAdder::PictureAdder(AddFile addFile, QObject *parent)
    : QObject(parent)
    , m_addFile(std::move(addFile)) {
    connect(&m_measure, &MeasureRun::measured, this, &PictureAdder::measured);
    connect(&m_measure, &MeasureRun::finished, this, &PictureAdder::finished);
}

void PictureAdder::addOne(const QString &path) {
    start({path}, false);
}

void PictureAdder::addAll(const QStringList &paths) {
    start(paths, true);
}

void PictureAdder::cancel() {
    m_measure.cancel();
}

void PictureAdder::start(const QStringList &paths, bool all) {
    m_all = all;
    m_total = int(paths.size());
    m_errors.clear();
    m_duplicates = 0;
    m_measure.start(paths);
}

void PictureAdder::measured(int index, const MeasuredPicture &picture) {
    if (m_all) {
        const int number = index + 1;
        Q_EMIT progress(int(std::floor(double(number) / double(m_total) * 100)),
                        QStringLiteral("Adding file number ") + QString::number(number));
    }
    const AddResult result = m_addFile(picture);
    if (result.alreadyInList)
        ++m_duplicates;
    else if (!result.added)
        m_errors.append(result.error);
}

void PictureAdder::finished() {
    if (!m_all) {
        Q_EMIT oneAdded(m_duplicates > 0     ? QStringLiteral("Already in the list.")
                        : m_errors.isEmpty() ? QStringLiteral("File succesfully added.")
                                             : QStringLiteral("Not added: ") + m_errors.first());
        return;
    }
    if (m_errors.isEmpty() && m_duplicates == 0) {
        Q_EMIT allAdded(QStringLiteral("Files succesfully added"), true);
        return;
    }
    // Say what really happened: the count added, those the list had, the refused.
    QString report = QStringLiteral("%1 added, %2 already in the list")
                         .arg(m_total - m_errors.size() - m_duplicates)
                         .arg(m_duplicates);
    if (!m_errors.isEmpty())
        report += QStringLiteral(". Not added: ") + m_errors.join(QStringLiteral("; "));
    Q_EMIT allAdded(report, false);
}
