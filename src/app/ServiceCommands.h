// The "Сервис" menu, created hidden as in the program Korvane follows:
// repacking the archive, checking its names, and the file manager's verb.
#pragma once

class QAction;
class QMenu;
class QMenuBar;
class TForm1;

class TServiceCommands {
public:
    // Adds the hidden "Сервис" menu to the bar.
    TServiceCommands(TForm1& form, QMenuBar* bar);

    // N17: rewrites the archive without unused space, then opens it again.
    void Repack();
    // N20: the name check; the offending entries' rows are selected.
    void Check();
    // N22: the file manager's "Открыть в Korvane" verb, added or removed.
    void ShellIntegration();

    QMenu* N16;
    QAction *N17, *N20, *N22;

private:
    TForm1& form_;
};
