#pragma once

#include <QString>

#include <optional>
#include <utility>

// Why something failed, in words the user can be shown ("No space left on device").
struct Failure {
    QString reason;
};

// The one way the program's layers say that something failed and why: a value
// (or nothing, for Result<void>) or the reason. Dropping one is a compile
// error, so no failure goes unnoticed.
template <typename T> class [[nodiscard]] Result {
public:
    Result(T value)
        : m_value(std::move(value)) {}
    Result(Failure failure)
        : m_error(std::move(failure.reason)) {}

    bool ok() const { return m_value.has_value(); }
    explicit operator bool() const { return ok(); }
    // The value; only when ok().
    const T &operator*() const { return *m_value; }
    const T *operator->() const { return &*m_value; }
    // Empty when ok().
    const QString &error() const { return m_error; }

private:
    std::optional<T> m_value;
    QString m_error;
};

template <> class [[nodiscard]] Result<void> {
public:
    Result() = default;
    Result(Failure failure)
        : m_failed(true)
        , m_error(std::move(failure.reason)) {}
    // Whether something that gives a value worked, and why not.
    template <typename T>
    Result(const Result<T> &other)
        : m_failed(!other.ok())
        , m_error(other.error()) {}

    bool ok() const { return !m_failed; }
    explicit operator bool() const { return ok(); }
    const QString &error() const { return m_error; }

private:
    bool m_failed = false;
    QString m_error;
};
