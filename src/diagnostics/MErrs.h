#pragma once
// The one error report: a modal box that names the error and where it occurred.
#include <QString>

#include <cstdint>
#include <functional>

namespace MErrs {

// Shows "Error! (<number>)" with the error's description and
// "Occured in: <object>::<procedure>", and returns when it is closed. Call it
// from the catch block of a trapping handler: the description is that of the
// error being handled, or the catalogue's for that number.
void ReportError(const QString& objectName, const QString& procedureName, int32_t number);

// Runs the body of a trapping handler. An error it raises is reported as
// ReportError reports it, under the handler's name, after `undo` has run
// (what the handler gives back when it fails); then Trapped returns.
void Trapped(const QString& objectName, const QString& procedureName, const std::function<void()>& body,
             const std::function<void()>& undo = {});

}  // namespace MErrs
