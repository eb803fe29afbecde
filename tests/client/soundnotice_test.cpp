// A game on a machine where sounds cannot be heard says so once in its own chat.
#include "board.h"
#include "chatform.h"
#include "gamesounds.h"
#include "messageboxes.h"
#include "soundplayer.h"

#include <QTemporaryDir>
#include <QTextBlock>
#include <QTextBrowser>
#include <QTextDocument>
#include <gtest/gtest.h>

#include <memory>

namespace {

class SoundNotice : public ::testing::Test
{
protected:
    // A window whose sounds go to player; never connected, never shown.
    void open(SoundPlayer &player)
    {
        TchatOptions options;
        options.boxes = &boxes;
        options.soundPlayer = &player;
        options.port = 1;
        options.settingsPath = dir.filePath(QStringLiteral("vornlobby.ini"));
        options.mutexName = QStringLiteral("dorvane-soundnotice-test");
        chat = std::make_unique<Tchat>(options);
    }

    // The chat's lines that mention sound, each with the colour of its text.
    QList<std::pair<QString, QColor>> soundLines() const
    {
        QList<std::pair<QString, QColor>> lines;
        const QTextDocument *document = chat->board().mainchat->document();
        for (QTextBlock block = document->begin(); block.isValid(); block = block.next()) {
            if (!block.text().contains(QStringLiteral("sound"), Qt::CaseInsensitive))
                continue;
            const QColor colour = block.begin().fragment().charFormat().foreground().color();
            lines.append({block.text().simplified(), colour});
        }
        return lines;
    }

    // A player on a machine with no sound server and no audio device.
    DesktopSoundPlayer silentPlayer() const
    {
        return DesktopSoundPlayer(QStringList{dir.filePath(QStringLiteral("modules"))},
                                  SoundOutput({dir.filePath(QStringLiteral("run/pulse/native")),
                                               dir.filePath(QStringLiteral("pcmC*D*p"))}));
    }

    QTemporaryDir dir;
    RecordingMessageBoxes boxes;
    std::unique_ptr<Tchat> chat;
};

// Nothing is said while Play Sounds is off (no sound is asked for); the first sound asked
// for afterwards says it, once, however many follow.
TEST_F(SoundNotice, NoSoundDeviceIsSaidOnceAsAStatusLine)
{
    DesktopSoundPlayer player = silentPlayer();
    open(player);
    chat->session().sounds().enabled = false;
    chat->playsounds(QStringLiteral("dice"));
    EXPECT_TRUE(soundLines().isEmpty()) << "nothing is said while sounds are off";

    chat->session().sounds().enabled = true;
    for (const char *name : {"entered", "dice", "turn", "winner"})
        chat->playsounds(QString::fromLatin1(name));
    const auto lines = soundLines();
    ASSERT_EQ(lines.size(), 1);
    EXPECT_TRUE(lines[0].first.startsWith(QStringLiteral("No sound device or sound server was found")))
        << lines[0].first.toStdString();
    EXPECT_EQ(lines[0].second, ChatLine::StatusColor);
    EXPECT_TRUE(chat->session().sounds().enabled) << "Play Sounds stays as the player set it";
}

} // namespace
