#pragma once

#include "SiteTorrent.h"

#include <QRandomGenerator>
#include <QStringList>

// Makes up plausible uploads: a scene-style release name that suits the category, a size in
// the usual range for it and a seeder count. The same random sequence gives the same uploads.
class ReleaseNameGenerator
{
public:
    explicit ReleaseNameGenerator(QRandomGenerator &random);

    // A torrent in one of the given categories, everything filled in except the id.
    SiteTorrent make(const QStringList &categories);

private:
    QString pick(const QStringList &words);
    int between(int low, int high);
    QString group();
    QString title(int minWords, int maxWords);
    QString movieName(const QString &category);
    QString tvName(const QString &category);
    QString gameName(const QString &category);
    QString appName(const QString &category);
    QString musicName(const QString &category);
    QString otherName(const QString &category);
    qint64 sizeFor(const QString &category);

    QRandomGenerator &m_random;
};
