#pragma once

#include <QObject>
#include <QString>

#include <functional>

// The running program's remote control on the session bus. Service and
// interface carry the application id; the object lives at /<id as a path>.
//   Next()  shows the entry stored as next, as the tray's Change Wallpaper
//   Clear() leaves the desktop without a picture
//   Show()  brings the main window back
//   Quit()  ends the program, saving the list and every setting
//   CurrentEntry (s, read) the picture on the desktop, "" when none
//   Interval (i, read)     minutes between changes
class RemoteControl : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.rotafond.Rotafond")
    Q_PROPERTY(QString CurrentEntry READ currentEntry)
    Q_PROPERTY(int Interval READ interval)

public:
    struct Handlers {
        std::function<void()> next;
        std::function<void()> clear;
        std::function<void()> show;
        std::function<void()> quit;
        std::function<QString()> currentEntry;
        std::function<int()> interval;
    };

    explicit RemoteControl(Handlers handlers, QObject *parent = nullptr);
    ~RemoteControl() override;

    static QString serviceName();
    static QString objectPath();

    // Offers the interface on the session bus. False when there is no bus or
    // the name is taken: the program then runs without a remote control.
    bool publish();

    QString currentEntry() const { return m_handlers.currentEntry(); }
    int interval() const { return m_handlers.interval(); }

public Q_SLOTS:
    Q_SCRIPTABLE void Next();
    Q_SCRIPTABLE void Clear();
    Q_SCRIPTABLE void Show();
    Q_SCRIPTABLE void Quit();

private:
    Handlers m_handlers;
    bool m_published = false;
};

// Sends method to the running copy. Returns the process exit code: 0 when it
// was delivered, 1 (with "Rotafond is not running." on stderr) otherwise.
int sendRemoteCommand(const QString &method);
