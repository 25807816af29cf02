#include "account/AboutTexts.h"

#include "platform/AppInfo.h"

QString AboutTexts::caption()
{
    return QStringLiteral("About ") + AppInfo::Title;
}

QString AboutTexts::title()
{
    return AppInfo::Title;
}

QString AboutTexts::version()
{
    return QStringLiteral("Version %1.%2  Build %3")
        .arg(AppInfo::Major)
        .arg(AppInfo::Minor)
        .arg(AppInfo::Revision);
}

QString AboutTexts::legalNotice()
{
    return AppInfo::LegalNotice;
}

QString AboutTexts::homePage()
{
    return AppInfo::HomePage;
}

QString AboutTexts::internalBuildNote()
{
    return QStringLiteral("This is an internal build and is not intended for public release.");
}
