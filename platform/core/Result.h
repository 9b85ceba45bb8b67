#pragma once

#include <QString>

#include <optional>
#include <utility>

namespace platform {

// Why something could not be done, in words a user can read ("cannot write /x/y: Permission denied").
struct Failure {
    QString why;
};

// The one way to fail below the windows: the value, or the Failure that stood in its way. A parse
// that needs no reason returns std::optional instead. Never a flag beside a "last error" to ask for.
template <typename T = void> class [[nodiscard]] Result {
public:
    Result(T value) : m_value(std::move(value)) {}
    Result(Failure failure) : m_why(std::move(failure.why)) {}

    explicit operator bool() const { return m_value.has_value(); }
    const T& value() const { return *m_value; }
    T& value() { return *m_value; }
    const T& operator*() const { return *m_value; }
    const T* operator->() const { return &*m_value; }
    // Empty when the value is there.
    const QString& why() const { return m_why; }

private:
    std::optional<T> m_value;
    QString m_why;
};

template <> class [[nodiscard]] Result<void> {
public:
    Result() = default;
    Result(Failure failure) : m_failed(true), m_why(std::move(failure.why)) {}

    explicit operator bool() const { return !m_failed; }
    const QString& why() const { return m_why; }

private:
    bool m_failed = false;
    QString m_why;
};

} // namespace platform
