#pragma once
// The program's help ("&Súgó" -> "&Tartalom"): the Hungarian help pages kept
// in the program's resources, shown from their contents page.

#include <QWidget>

class QTextBrowser;

namespace app {

class HelpWindow : public QWidget {
    Q_OBJECT
public:
    explicit HelpWindow(QWidget* parent = nullptr);

    // Shows the contents page.
    void showContents();

    QTextBrowser* browser() const { return browser_; }

protected:
    void showEvent(QShowEvent* event) override;

private:
    QTextBrowser* browser_;
    bool placed_ = false;
};

// The address of the contents page among the resources.
QString helpContentsUrl();

} // namespace app
