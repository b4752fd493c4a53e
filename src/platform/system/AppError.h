#pragma once
// Errors as the program's units raise and trap them: a number and a
// description from a fixed catalogue, carried by a C++ exception.
#include <QString>

#include <cstdint>
#include <stdexcept>

namespace platform {

// The error numbers the program raises or meets.
enum ErrorNumber : int32_t {
    errInvalidProcedureCall = 5,
    errOverflow = 6,
    errOutOfMemory = 7,
    errSubscriptOutOfRange = 9,
    errTypeMismatch = 13,
    errFileNotFound = 53,
    errPermissionDenied = 70,
    errPathFileAccess = 75,
    errInvalidPropertyValue = 380,
    errUnspecified = -2147467259,
};

// The catalogue's description of an error number; an unknown number gets
// "Application-defined or object-defined error".
QString ErrorDescription(int32_t number);

class AppError : public std::runtime_error {
public:
    explicit AppError(int32_t number);
    AppError(int32_t number, const QString& description);

    int32_t Number() const { return number_; }
    const QString& Description() const { return description_; }

private:
    int32_t number_;
    QString description_;
};

// Raises the catalogue's error of that number.
[[noreturn]] void Raise(int32_t number);

// The error being handled: inside a catch block, the number and description of
// the exception in flight; outside one, number 0 and an empty description.
struct ErrObject {
    int32_t Number = 0;
    QString Description;
};
ErrObject Err();

}  // namespace platform
