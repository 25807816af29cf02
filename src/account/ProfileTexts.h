#pragma once

#include <QString>
#include <QStringList>

// The nine texts the profile window shows and profile.cache keeps, in their stored order.
struct ProfileTexts
{
    static constexpr int Count = 9;

    QString name;
    QString joinDate;
    QString lastSeen;
    QString uploaded;
    QString downloaded;
    QString shareRatio;
    QString userClass;
    QString comments;
    QString posts;

    QStringList toList() const
    {
        return {name,       joinDate,  lastSeen, uploaded, downloaded,
                shareRatio, userClass, comments, posts};
    }
    // The texts from a list of exactly Count entries; other lists give empty texts.
    static ProfileTexts fromList(const QStringList &list)
    {
        ProfileTexts t;
        if (list.size() != Count)
            return t;
        t.name = list.at(0);
        t.joinDate = list.at(1);
        t.lastSeen = list.at(2);
        t.uploaded = list.at(3);
        t.downloaded = list.at(4);
        t.shareRatio = list.at(5);
        t.userClass = list.at(6);
        t.comments = list.at(7);
        t.posts = list.at(8);
        return t;
    }
    bool operator==(const ProfileTexts &) const = default;
};
