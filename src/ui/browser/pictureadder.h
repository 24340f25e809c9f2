#pragma once

#include "addfile.h"
#include "measurerun.h"

#include <QObject>
#include <QStringList>

#include <functional>

// Adds the pictures the browser chose to the wallpaper list: each is measured
// on a worker and appended on the UI thread, in the order given. At the end
// it says what really happened.
class PictureAdder : public QObject {
    Q_OBJECT

public:
    // Appends a picture that was measured off the UI thread.
    using AddFile = std::function<AddResult(const MeasuredPicture &picture)>;

    explicit PictureAdder(AddFile addFile, QObject *parent = nullptr);

    void addOne(const QString &path);
    // Add ALL: the paths are taken as they are now.
    void addAll(const QStringList &paths);
    // Nothing more is added or reported.
    void cancel();

Q_SIGNALS:
    void progress(int percent, const QString &text);
    void oneAdded(const QString &report);
    // clean: every picture was added and none was in the list already.
    void allAdded(const QString &report, bool clean);

private:
    void start(const QStringList &paths, bool all);
    void measured(int index, const MeasuredPicture &picture);
    void finished();

    AddFile m_addFile;
    MeasureRun m_measure;
    bool m_all = false;
    int m_total = 0;
    int m_duplicates = 0;
    QStringList m_errors;
};
