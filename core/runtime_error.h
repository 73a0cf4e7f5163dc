#pragma once

#include <QString>
#include <QByteArray>
#include <exception>

namespace hv {

// Numbers of the run-time failures the program raises, as the original
// platform numbers them, so a report reads the same on every machine.
namespace err {
inline constexpr long InvalidProcedureCall = 5;
inline constexpr long Overflow = 6;
inline constexpr long UserInterrupt = 18;
inline constexpr long SubscriptOutOfRange = 9;
inline constexpr long TypeMismatch = 13;
inline constexpr long FileNotFound = 53;
inline constexpr long PathFileAccess = 75;
inline constexpr long ObjectNotSet = 91;
inline constexpr long InvalidUseOfNull = 94;
inline constexpr long InvalidPropertyValue = 380;
inline constexpr long CannotCreateObject = 429;
inline constexpr long ObjectDoesNotSupport = 438;
inline constexpr long InvalidPicture = 481;
inline constexpr long NoCurrentRecord = 3021;
inline constexpr long ItemNotFound = 3265;
inline constexpr long ObjectClosed = 3704;
inline constexpr long ObjectOpen = 3705;
inline constexpr long ConnectionUnusable = 3709;
inline constexpr long IndexOutOfBounds = 35600;
// The database engine's failures (unspecified error, as the old provider gave).
inline constexpr long DatabaseEngine = -2147467259;
}  // namespace err

// A run-time failure: the number and the description that the error report
// shows, or a refusal that is no fault (isRefusal()).
class RuntimeError : public std::exception {
public:
    RuntimeError(long number, QString description);

    long number() const noexcept { return m_number; }
    const QString& description() const noexcept { return m_description; }
    // A refusal the user can act on, not a fault of the program: the login's
    // rights, a colleague's lock, a conflict with another's change. Its
    // description says what happened and what to do.
    bool isRefusal() const noexcept { return m_refusal; }
    static RuntimeError refusal(long number, QString description);
    const char* what() const noexcept override { return m_utf8.constData(); }

    // The platform's standard failures with their standard descriptions.
    static RuntimeError typeMismatch();
    static RuntimeError overflow();
    static RuntimeError objectNotSet();
    static RuntimeError invalidPropertyValue();
    static RuntimeError invalidUseOfNull();
    // Long work the user chose to stop.
    static RuntimeError userInterrupt();

private:
    long m_number;
    QString m_description;
    bool m_refusal = false;
    QByteArray m_utf8;
};

}  // namespace hv
