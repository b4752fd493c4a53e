#include "platform/engine/OwnPages.h"

namespace platform {

namespace {
struct OwnPage {
    const char* address;
    const char* resource;
};
constexpr OwnPage kOwnPages[] = {
    {HomePageAddress, "qrc:/pages/home.html"},
    {SearchPageAddress, "qrc:/pages/search.html"},
};

// The address without its query and fragment, which pass through unchanged.
QUrl pageOf(const QUrl& url)
{
    return url.adjusted(QUrl::RemoveQuery | QUrl::RemoveFragment);
}

QUrl withRest(QUrl target, const QUrl& from)
{
    if (from.hasQuery())
        target.setQuery(from.query(QUrl::FullyEncoded), QUrl::StrictMode);
    if (from.hasFragment())
        target.setFragment(from.fragment(QUrl::FullyEncoded), QUrl::StrictMode);
    return target;
}
}  // namespace

QUrl EngineUrl(const QUrl& url)
{
    const QString page = pageOf(url).toString();
    for (const OwnPage& own : kOwnPages)
        if (page.compare(QLatin1String(own.address), Qt::CaseInsensitive) == 0)
            return withRest(QUrl(QString::fromLatin1(own.resource)), url);
    return url;
}

QString AddressForPeople(const QUrl& url)
{
    const QUrl page = pageOf(url);
    for (const OwnPage& own : kOwnPages)
        if (page == QUrl(QString::fromLatin1(own.resource)))
            return withRest(QUrl(QString::fromLatin1(own.address)), url).toString();
    return url.toString();
}

}  // namespace platform
