#include "platform/system/AppError.h"

#include <exception>
#include <new>

namespace platform {

QString ErrorDescription(int32_t number)
{
    switch (number) {
    case errInvalidProcedureCall: return QStringLiteral("Invalid procedure call or argument");
    case errOverflow: return QStringLiteral("Overflow");
    case errOutOfMemory: return QStringLiteral("Out of memory");
    case errSubscriptOutOfRange: return QStringLiteral("Subscript out of range");
    case errTypeMismatch: return QStringLiteral("Type mismatch");
    case errFileNotFound: return QStringLiteral("File not found");
    case errPermissionDenied: return QStringLiteral("Permission denied");
    case errPathFileAccess: return QStringLiteral("Path/File access error");
    case errInvalidPropertyValue: return QStringLiteral("Invalid property value");
    case errUnspecified: return QStringLiteral("Unspecified error");
    default: return QStringLiteral("Application-defined or object-defined error");
    }
}

AppError::AppError(int32_t number) : AppError(number, ErrorDescription(number)) {}

AppError::AppError(int32_t number, const QString& description)
    : std::runtime_error(description.toStdString()), number_(number), description_(description)
{
}

void Raise(int32_t number)
{
    throw AppError(number);
}

ErrObject Err()
{
    const std::exception_ptr current = std::current_exception();
    if (!current)
        return {};
    try {
        std::rethrow_exception(current);
    } catch (const AppError& e) {
        return {e.Number(), e.Description()};
    } catch (const std::bad_alloc&) {
        return {errOutOfMemory, ErrorDescription(errOutOfMemory)};
    } catch (const std::exception& e) {
        return {errUnspecified, QString::fromLocal8Bit(e.what())};
    } catch (...) {
        return {errUnspecified, ErrorDescription(errUnspecified)};
    }
}

}  // namespace platform
