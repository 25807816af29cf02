#pragma once

#include "SiteResponse.h"

#include <QString>

// One rule telling the site server to answer requests whose target starts with a prefix in a
// broken way, for a number of requests or until the rules are cleared.
struct SiteMisbehaviour
{
    enum Kind
    {
        None,              // answered normally
        Refuse,            // connection closed after the request, nothing sent
        Stall,             // request read, never answered
        StallAfterHeaders, // head with Content-Length and bodyBytes of the body, then silence
        NotFound,          // 404 with an HTML page
        Html,              // 200 with an unrelated HTML page
        Busy,              // 200 with the site's "server load" page
        MySqlError,        // 200 with a database error text
        Truncated,         // Content-Length larger than the bytes sent, then the close
        NoContentLength,   // normal answer whose end is marked only by the close
        SlowDrip,          // normal answer sent dripChunk bytes every dripIntervalMs
        Empty,             // 200 with an empty body
        Raw                // the scripted reply in raw
    };

    static constexpr int UntilCleared = -1;

    QString prefix;
    Kind kind = None;
    // Requests still to misbehave; UntilCleared keeps the rule.
    int remaining = UntilCleared;
    // StallAfterHeaders and Truncated: body bytes sent before going silent or closing;
    // negative sends half of the body.
    qint64 bodyBytes = -1;
    int dripChunk = 64;
    int dripIntervalMs = 5;
    SiteResponse raw;
    // Raw: the end of the body is marked only by the close, with no Content-Length.
    bool rawWithoutLength = false;
};
