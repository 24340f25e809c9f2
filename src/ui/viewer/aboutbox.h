#pragma once

#include <QDialog>

#include <functional>

// "About Rotafond": name, version, the contact address (a click writes a
// mail) and the disclaimer.
class AboutBox : public QDialog {
    Q_OBJECT

public:
    static constexpr const char *ContactAddress = "rotafond@example.org";

    // openLink hands the mail link to the desktop.
    explicit AboutBox(std::function<void(const QString &link)> openLink, QWidget *parent = nullptr);

    static QString mailLink();
    static QString versionText(const QString &version);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    std::function<void(const QString &)> m_openLink;
};
