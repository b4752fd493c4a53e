#pragma once
// The browser's own start and search pages: shipped in the resources, they
// load from "qrc:" addresses, but people see and type them as
// "skerrywind:home" and "skerrywind:search".
#include <QString>
#include <QUrl>

namespace platform {

inline constexpr const char* HomePageAddress = "skerrywind:home";
inline constexpr const char* SearchPageAddress = "skerrywind:search";

// Where the engine loads a page from: an own page's resource for its
// address (scheme and name in any letter case, query and fragment kept),
// else `url` itself.
QUrl EngineUrl(const QUrl& url);
// How an address the engine reports is shown: an own page by its address
// for people, anything else as it is.
QString AddressForPeople(const QUrl& url);

}  // namespace platform
