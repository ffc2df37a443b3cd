// The session the window and its command groups share: what it says as an
// archive is opened, changed and let go, and what it allows.
#include <QAction>
#include <QTableView>

#include "app/AppFixture.h"
#include "support/ArchiveWriters.h"

using namespace korvane;

TEST_F(WindowTest, TheSessionTellsOfEachOpenChangeAndClose)
{
    WriteBytes(dir.File("a.img"), Ver2OneSectorEach({{"a.dat", "x"}}));
    WriteBytes(dir.File("b.big"), BigBytes({{0x30, 1, "b.dat"}}) + "b");
    WriteBytes(dir.File("new.dat"), "new");
    Start();
    const TArchiveSession& session = form->Session();
    QStringList said;
    QObject::connect(&session, &TArchiveSession::Loaded, [&] { said << "loaded"; });
    QObject::connect(&session, &TArchiveSession::Changed, [&] { said << "changed"; });
    QObject::connect(&session, &TArchiveSession::Closed, [&] { said << "closed"; });
    EXPECT_FALSE(session.Opened() || session.Editable() || session.Serviceable());
    {
        // Closing when nothing is open tells no one.
        TArchiveSession idle;
        bool closed = false;
        QObject::connect(&idle, &TArchiveSession::Closed, [&] { closed = true; });
        idle.Close();
        EXPECT_FALSE(closed);
    }

    // A BIGF archive is only viewed; a VER2 one is changed and serviced.
    // (One this user may not write: WindowTest.AnArchiveThatMayNotBeWrittenIsOnlyViewed.)
    struct {
        const char* file;
        bool editable, serviceable;
    } const opens[] = {{"b.big", false, false}, {"a.img", true, true}};
    for (const auto& o : opens) {
        form->Load(dir.File(o.file));
        EXPECT_TRUE(session.Opened() && session.Writable()) << o.file;
        EXPECT_EQ(session.Editable(), o.editable) << o.file;
        EXPECT_EQ(session.Serviceable(), o.serviceable) << o.file;
    }
    EXPECT_EQ(said, QStringList({"loaded", "loaded"}));

    prompts.AnswerOpenMany({Q(dir.File("new.dat"))});
    Find<QAction>("N13")->trigger();
    EXPECT_EQ(said.mid(2), QStringList({"changed"}));
    EXPECT_EQ(session.Cat().Entries.size(), 2u);

    form->close();
    EXPECT_EQ(said.mid(3), QStringList({"closed"}));
    EXPECT_FALSE(session.Opened());
    EXPECT_TRUE(session.Cat().Entries.empty());
    EXPECT_EQ(form->ListView()->model()->rowCount(), 0);
}
