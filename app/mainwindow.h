#pragma once
// Tfokep (unit fomenu): the main window, with the main menu, the current accounting period at the
// top and the three status panels at the bottom. It holds no state of its own
// beyond its widgets: the period, the folders and the open tables are the
// shared core::AppState that it gets.

#include <QMainWindow>
#include <QPointer>
#include <functional>

class QActionGroup;
class QLabel;
class QMenu;
class QMenuBar;

namespace reg {
class LapokWindow;
}

namespace core {}

namespace core {
struct AppState;
}

namespace app {

class HelpWindow;

class MainWindow : public QMainWindow {
    Q_OBJECT
public:
    explicit MainWindow(core::AppState& state, QWidget* parent = nullptr);
    ~MainWindow() override;

    core::AppState& state() { return st_; }

    // A menu item by its name ("Indexels1"); null for an unknown name.
    QAction* menuItem(const QString& name) const;

    // Label ID from the current period.
    void showPeriod();

    // The sheet register Tlapok: one window for the whole run, made on first
    // use (the shipment opens it in send-selection mode through this too).
    reg::LapokWindow* lapokWindow();

    // The e-report window (Tszweb), shown modally over the given window. The
    // program's entry sets it: the embedded browser is linked there only.
    void setEjelentes(std::function<void(QWidget*)> open) { ejelentes_ = std::move(open); }

    // The status panels: 0 hints and progress, 1 the contract line, 2 today's
    // date. The message service's status sink writes here.
    void setStatusText(int panel, const QString& text);
    QString statusText(int panel) const;

signals:
    // The hidden "&Felbontás" items: windows that scale with the main window
    // multiply their sizes by num/den.
    void rescaled(int num, int den);

protected:
    void closeEvent(QCloseEvent* event) override;

private slots:
    void Indexels1Click();
    void Elszmolsiidszakbellts1Click();
    void Jelszmdosts1Click();
    void Nvjegy1Click();
    void tvonalak1Click();
    void Tartalom1Click();
    void Kilps1Click();
    void Ejelentshezlistamegtekints1Click();
    void FelbontasClick(QAction* item);
    void FloppykldemnyRAVszmra1Click();

private:
    void buildMenu();
    // The menus of the menu bar, in their order on it.
    void menuAdatok(QMenuBar* bar);
    void menuFelbontas(QMenuBar* bar);
    void menuListak(QMenuBar* bar);
    void menuSzerviz(QMenuBar* bar);
    void menuAdatszolgaltatas(QMenuBar* bar);
    void menuSugo(QMenuBar* bar);
    // A menu command: run on choosing it, a database error shown.
    void command(QAction* item, std::function<void()> run);
    void buildPanels();
    // A submenu of the menu bar or of another menu, named after its item.
    QMenu* addSubmenu(QWidget* owner, const QString& name, const QString& caption,
                      const QString& hint);
    QAction* addItem(QMenu* menu, const QString& name, const QString& caption, const QString& hint);
    // Leaves the program at once (a start-up check failed from the menu).
    void endProgram();
    // kuldClick of the register in send-selection mode: the sending.
    void kuldClick();

    core::AppState& st_;
    QLabel* Ido = nullptr;
    QLabel* ID = nullptr;
    QLabel* panels_[3] = {};
    QActionGroup* felbontas_ = nullptr;
    QAction* felbontasChecked_ = nullptr;
    QPointer<HelpWindow> help_;
    QPointer<reg::LapokWindow> lapok_;
    std::function<void(QWidget*)> ejelentes_;
};

} // namespace app
