#include "aboutbox.h"

#include "programicon.h"
#include "programlabel.h"

#include <QEvent>
#include <QFrame>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QVersionNumber>

AboutBox::AboutBox(std::function<void(const QString &)> openLink, QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowCloseButtonHint)
    , m_openLink(std::move(openLink)) {
    setWindowTitle(QStringLiteral("About ") + QStringLiteral("Rotafond"));

    auto *frame = new QFrame(this);
    frame->setFrameShape(QFrame::Panel);
    frame->setFrameShadow(QFrame::Sunken);
    auto *artwork = new QLabel(frame);
    artwork->setObjectName(QStringLiteral("artwork"));
    artwork->setPixmap(programIcon().pixmap(96, 96));
    artwork->setCursor(Qt::PointingHandCursor);
    artwork->installEventFilter(this);
    auto *frameLayout = new QVBoxLayout(frame);
    frameLayout->addWidget(artwork);

    auto *title = programLabel(QStringLiteral("Rotafond"), 20, true, this);
    auto *tagline = programLabel(QStringLiteral("The ULTIMATE"), 11, false, this);
    auto *taglineName = programLabel(QStringLiteral("Rotafond"), 11, false, this);
    auto *version = programLabel(versionText(QStringLiteral(ROTAFOND_VERSION)), 10, false, this);
    version->setObjectName(QStringLiteral("version"));
    auto *address = programLabel(QLatin1String(ContactAddress), 10, false, this);
    address->setObjectName(QStringLiteral("address"));
    address->setCursor(Qt::PointingHandCursor);
    address->setToolTip(QStringLiteral("Write a mail"));
    address->installEventFilter(this);
    auto *disclaimer = programLabel(
        QStringLiteral("Warning: The use of this program will become a habit..."), 9, false, this);
    disclaimer->setWordWrap(true);

    auto *ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);

    auto *layout = new QGridLayout(this);
    layout->addWidget(frame, 0, 0, 4, 1, Qt::AlignTop);
    layout->addWidget(title, 0, 1);
    layout->addWidget(tagline, 1, 1);
    layout->addWidget(taglineName, 2, 1);
    layout->addWidget(version, 3, 1);
    layout->addWidget(address, 4, 1);
    layout->addWidget(disclaimer, 5, 0, 1, 2);
    layout->addWidget(ok, 6, 1, Qt::AlignRight);
    setFixedSize(sizeHint());
}

QString AboutBox::mailLink() {
    return QStringLiteral("mailto:") + QLatin1String(ContactAddress) + QStringLiteral("?subject=") +
           QStringLiteral("Rotafond");
}

QString AboutBox::versionText(const QString &version) {
    const QVersionNumber number = QVersionNumber::fromString(version);
    return QStringLiteral("Version %1.%2.%3")
        .arg(number.majorVersion())
        .arg(number.minorVersion())
        .arg(number.microVersion());
}

bool AboutBox::eventFilter(QObject *watched, QEvent *event) {
    if (event->type() == QEvent::MouseButtonRelease) {
        m_openLink(mailLink());
        return true;
    }
    return QDialog::eventFilter(watched, event);
}
