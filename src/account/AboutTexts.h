#pragma once

#include <QString>

// The texts of the About window, from the program's identity.
class AboutTexts
{
public:
    // "About Pollwick"
    static QString caption();
    // Label1: "Pollwick"
    static QString title();
    // Label2: "Version 1.3  Build 512" (two blanks before "Build").
    static QString version();
    // Label3: the legal notice.
    static QString legalNotice();
    // Label4: the home-page address, which a left click opens in the browser.
    static QString homePage();
    // Label5 and Label6.
    static QString internalBuildNote();
};
