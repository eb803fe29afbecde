// The tally grid loader: any bytes as a tally file, then the counting the window does on it.
//
// Input: the whole input is the grid text. Whatever loads must write back a grid text that
// loads again to the same table, also after following, counting and dropping opponents.
#include "fuzztargets.h"

#include "tallytable.h"

namespace fuzz_tallygrid {

namespace {

using fuzzsupport::check;

void checkReloads(const TallyTable &table, const char *what)
{
    const QByteArray text = table.toGridText();
    const auto again = TallyTable::fromGridText(text);
    check(again.has_value(), what);
    check(again->toGridText() == text, what);
}

} // namespace

int fuzzOne(const std::uint8_t *data, std::size_t size)
{
    const QByteArray text(reinterpret_cast<const char *>(data), qsizetype(size));
    QString error;
    auto table = TallyTable::fromGridText(text, &error);
    if (!table) {
        check(!error.isEmpty(), "a refused grid gives a reason");
        return 0;
    }
    check(table->rowCount() >= 1, "a loaded tally has the user's row");
    checkReloads(*table, "a loaded tally writes back a grid that loads the same");

    const QStringList names = table->opponents();
    const QString first = names.value(0, QStringLiteral("Klot"));
    table->follow(first + QStringLiteral("\r\nx"));
    table->addgame(first, names);
    table->addgame(QString(TallyTable::AddToMine), names + QStringList{first + QStringLiteral("\r\nx")});
    table->clearSession();
    table->addgame(QStringLiteral("nobody"), names);
    if (table->rowCount() > 1)
        table->moverow(int(size % std::size_t(table->rowCount())));
    checkReloads(*table, "a counted tally writes back a grid that loads the same");
    return 0;
}

} // namespace fuzz_tallygrid
