// Pictures of the window for the user guide, made from the demo archive:
// KORVANE_SCREENSHOTS=DIR app_tests --gtest_filter='Screenshots.*'
// Skipped unless that variable names a folder.
#include <QApplication>
#include <QCheckBox>
#include <QItemSelectionModel>
#include <QListWidget>
#include <QSettings>
#include <QSplitter>
#include <QTableView>
#include <QTest>
#include <QTranslator>
#include <functional>

#include "AppFixture.h"
#include "app/Translations.h"
#include "app/preview/ModelView.h"
#include "app/preview/TxdPage.h"
#include "demo/DemoArchives.h"

TEST_F(WindowTest, ScreenshotsOfEveryPreview)
{
    const QByteArray out = qgetenv("KORVANE_SCREENSHOTS");
    if (out.isEmpty()) GTEST_SKIP() << "set KORVANE_SCREENSHOTS to a folder to make the user guide's pictures";
    const std::vector<std::string> archives = korvane::MakeDemoArchives(dir.Path());
    // The cart's body colour ("Цвет 1") as a user would have chosen it.
    QSettings(QStringLiteral("Korvane"), QStringLiteral("Korvane")).setValue(QStringLiteral("Model/Colour1"), "#be281e");
    Start({Q(archives[1])});
    form->resize(1000, 620);
    // A wider preview pane than the start-up one, as a user would drag it.
    Find<QSplitter>("Splitter1")->setSizes({540, 460});
    QApplication::processEvents();

    auto shoot = [&](int row, const char* name, const std::function<void()>& then = {}) {
        QTableView* list = form->ListView();
        list->clearSelection();
        list->selectionModel()->select(list->model()->index(row, 0),
                                       QItemSelectionModel::Select | QItemSelectionModel::Rows);
        if (auto* txd = form->findChild<TTxdPage*>()) txd->WaitForThumbnails();
        if (then) then();
        for (int i = 0; i < 20; ++i) {
            QApplication::processEvents();
            QTest::qWait(20);
        }
        ASSERT_TRUE(form->grab().save(QString::fromLocal8Bit(out) + "/" + name)) << name;
    };
    shoot(0, "korvane-txd.png");
    shoot(1, "korvane-dff.png");
    shoot(2, "korvane-ipl.png");
    // The cart as in the game, seen from the front left and a little above.
    Find<QCheckBox>("GameView")->setChecked(true);
    shoot(7, "korvane-dff-game.png", [&] { Find<TModelView>("GLSceneViewer1")->SetCameraPosition({-5.5, 6.5, 4}); });
    // The lamp's collision model with its shadow mesh, a little above its base.
    shoot(9, "korvane-col.png", [&] {
        Find<QCheckBox>("ColShadow")->setChecked(true);
        Find<QSplitter>("ColSplitter")->setSizes({140, 10000});
        Find<TModelView>("ColView")->SetCameraPosition({11, -9, 3});
    });
    shoot(10, "korvane-ifp.png");
    EXPECT_TRUE(prompts.Messages().isEmpty());

    // The window in English (korvane --lang en), the texture page shown.
    bool missing = false;
    const auto english = InstallTranslations(TWindowLanguage::wlEnglish, {QStringLiteral(KORVANE_QM_DIR)}, &missing);
    ASSERT_FALSE(missing);
    form.reset();
    Start({Q(archives[1])});
    form->resize(1000, 620);
    Find<QSplitter>("Splitter1")->setSizes({540, 460});
    shoot(0, "korvane-en.png");
    form.reset();
    for (QTranslator* t : english) delete t;  // which uninstalls it
}

