#pragma once

#include "desktopbackend.h"

// A desktop Rotafond has no way to reach: every change is refused with the
// reason, so the user is told instead of seeing nothing happen.
class UnsupportedBackend : public DesktopBackend {
public:
    explicit UnsupportedBackend(QString reason)
        : m_reason(std::move(reason)) {}
    QString name() const override { return QStringLiteral("unsupported"); }
    bool wantsFreshFileName() const override { return false; }
    Result<void> apply(const QString &, const QImage &, WallpaperStyle) override {
        return Failure{m_reason};
    }
    Result<void> clear() override { return Failure{m_reason}; }

private:
    QString m_reason;
};
