// Where a sound could be played: the places looked at for each environment, and which of
// them count as present in a folder tree standing in for the machine.
#include "soundoutput.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstring>

namespace {

TEST(SoundOutputPlaces, EachEnvironmentNamesItsServerSockets)
{
    struct Row
    {
        const char *name, *pulseServer, *pulseRuntime, *runtimeDir;
        QStringList first; // the places expected at the front of the list, in order
        const char *runtimeSocket;
    };
    const Row rows[] = {
        {"nothing set", "", "", "", {}, "/run/user/1000/pulse/native"},
        {"runtime folder", "", "", "/tmp/rt", {}, "/tmp/rt/pulse/native"},
        {"runtime path of the server", "", "/srv/pa", "/tmp/rt", {}, "/srv/pa/native"},
        {"unix server", "unix:/tmp/s/native", "", "/tmp/rt", {"/tmp/s/native"}, "/tmp/rt/pulse/native"},
        {"bare path", "/tmp/s/native", "", "", {"/tmp/s/native"}, "/run/user/1000/pulse/native"},
        {"network server", "tcp:localhost:4713", "", "", {"tcp:localhost:4713"}, "/run/user/1000/pulse/native"},
        {"several, one with a machine id",
         "{0123abcd}unix:/a/native  tcp4:10.0.0.1",
         "",
         "",
         {"/a/native", "tcp4:10.0.0.1"},
         "/run/user/1000/pulse/native"},
        {"a machine id alone names nothing", "{0123abcd}", "", "", {}, "/run/user/1000/pulse/native"},
    };
    for (const Row &row : rows) {
        const QStringList places = SoundOutput::placesFor(row.pulseServer, row.pulseRuntime, row.runtimeDir, 1000);
        EXPECT_EQ(places.mid(0, row.first.size()), row.first) << row.name;
        const QStringList rest = places.mid(row.first.size());
        const QString runtime =
            *row.runtimeDir ? QString::fromLatin1(row.runtimeDir) : QStringLiteral("/run/user/1000");
        const QStringList expected{QString::fromLatin1(row.runtimeSocket), QStringLiteral("/var/run/pulse/native"),
                                   runtime + QStringLiteral("/pipewire-0"), QStringLiteral("/dev/snd/pcmC*D*p"),
                                   QStringLiteral("/dev/dsp")};
        EXPECT_EQ(rest, expected) << row.name;
    }
}

// A folder tree with the machine's places moved into it.
class SoundOutputTest : public ::testing::Test
{
protected:
    QString at(const QString &relative) const { return dir.filePath(relative); }
    QStringList places() const
    {
        return {at(QStringLiteral("run/pulse/native")), at(QStringLiteral("run/pipewire-0")),
                at(QStringLiteral("snd/pcmC*D*p")), at(QStringLiteral("dsp"))};
    }
    void touch(const QString &relative)
    {
        QDir().mkpath(QFileInfo(at(relative)).path());
        QFile file(at(relative));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    }
    // A listening Unix domain socket, the way a sound server leaves it.
    void listenAt(const QString &relative)
    {
        QDir().mkpath(QFileInfo(at(relative)).path());
        const QByteArray path = QFile::encodeName(at(relative));
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        ASSERT_LT(size_t(path.size()), sizeof address.sun_path);
        std::memcpy(address.sun_path, path.constData(), size_t(path.size()));
        m_socket = ::socket(AF_UNIX, SOCK_STREAM, 0);
        ASSERT_GE(m_socket, 0);
        ASSERT_EQ(::bind(m_socket, reinterpret_cast<sockaddr *>(&address), sizeof address), 0);
        ASSERT_EQ(::listen(m_socket, 1), 0);
    }
    void TearDown() override
    {
        if (m_socket >= 0)
            ::close(m_socket);
    }

    QTemporaryDir dir;
    int m_socket = -1;
};

TEST_F(SoundOutputTest, NothingPresentMeansNowhereToPlay)
{
    touch(QStringLiteral("run/pulse/other"));
    touch(QStringLiteral("snd/pcmC0D0c")); // a capture device plays nothing
    touch(QStringLiteral("snd/controlC0"));
    EXPECT_EQ(SoundOutput(places()).find(), QString());
    EXPECT_EQ(SoundOutput({}).find(), QString());
}

TEST_F(SoundOutputTest, AServerSocketOrPlaybackDeviceIsFound)
{
    struct Row
    {
        const char *present, *found;
    };
    for (const Row row :
         {Row{"run/pipewire-0", "run/pipewire-0"}, Row{"snd/pcmC1D3p", "snd/pcmC*D*p"}, Row{"dsp", "dsp"}}) {
        QTemporaryDir fresh;
        dir.swap(fresh);
        touch(QString::fromLatin1(row.present));
        EXPECT_EQ(SoundOutput(places()).find(), at(QString::fromLatin1(row.found))) << row.present;
    }
}

TEST_F(SoundOutputTest, ASocketAppearingLaterIsFoundByTheNextLook)
{
    const SoundOutput output(places());
    EXPECT_EQ(output.find(), QString());
    listenAt(QStringLiteral("run/pulse/native"));
    EXPECT_EQ(output.find(), at(QStringLiteral("run/pulse/native")));
}

TEST_F(SoundOutputTest, AServerNamedByNetworkAddressCountsAsPresent)
{
    EXPECT_EQ(SoundOutput(places() << QStringLiteral("tcp:localhost:4713")).find(),
              QStringLiteral("tcp:localhost:4713"));
}

} // namespace
