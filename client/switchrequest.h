// SwitchRequest: which game the main window is to start — solo, hosted or joined, here or
// at a table on a table server.
#pragma once

#include "tablecode.h"

#include <QString>
#include <QStringList>

struct SwitchRequest
{
    enum class Mode {
        Solo,       // a solo game on this computer
        Host,       // host a game under name (on a table server: open a table there)
        Join,       // join the game at address under name (on a table server: the table's code)
        Incomplete, // a command line with a name but no mode, or one that cannot be read
    };

    QString name;
    QString address; // the host, or the table server ("host" or "host:port")
    Mode mode = Mode::Solo;
    bool onTableServer = false; // address names a table server
    QString table = {};         // the code of the table joined (normalized); empty when opening
    QString problem = {};       // why a command line starts nothing; shown to the player

    // The command line "NAME ADDRESS true|false" (true hosts); none at all is a solo game.
    // ADDRESS "@SERVER[:PORT]" with true opens a table on that server; "CODE@SERVER[:PORT]"
    // with false joins the table with that code. The server's address is checked on connecting.
    static SwitchRequest fromCommandLine(const QStringList &parameters)
    {
        if (parameters.isEmpty())
            return {};
        if (parameters.size() < 3)
            return {QString(), QString(), Mode::Incomplete};
        const QString &where = parameters.at(1);
        const Mode mode = parameters.at(2) == QLatin1String("true") ? Mode::Host : Mode::Join;
        const qsizetype at = where.indexOf(QLatin1Char('@'));
        if (at < 0)
            return {parameters.at(0), where, mode};
        SwitchRequest request{parameters.at(0), where.mid(at + 1).trimmed(), mode, true};
        const QString typedCode = where.left(at).trimmed();
        if (request.address.isEmpty())
            return refused(QStringLiteral("No table server follows \"@\": give its address, as in @%1 or "
                                          "CODE@%1.")
                               .arg(QLatin1String("tables.example.org")));
        if (mode == Mode::Host) {
            if (!typedCode.isEmpty())
                return refused(QStringLiteral("\"true\" opens a new table: give the table server alone, as "
                                              "@SERVER. A code joins a table that is open already: CODE@SERVER "
                                              "false."));
            return request;
        }
        if (typedCode.isEmpty())
            return refused(QStringLiteral("To join a table, put its code before \"@\": CODE@SERVER false. "
                                          "To open a table, end with true instead."));
        request.table = tablecode::normalize(typedCode);
        if (request.table.isEmpty())
            return refused(QStringLiteral("\"%1\" is not a table code: a code has eight letters and digits, "
                                          "like K7Q2-M9XA.")
                               .arg(typedCode.left(20)));
        return request;
    }

private:
    static SwitchRequest refused(const QString &why)
    {
        SwitchRequest request;
        request.mode = Mode::Incomplete;
        request.problem = why;
        return request;
    }
};
