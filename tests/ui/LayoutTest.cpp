// The windows as the desktop's face draws them, at 8, 10 and 12 points (ctest
// runs this program once more at a 2x scale factor): every caption fits its
// control, the fixed hints fit their panel, the grid never scrolls sideways,
// a cut cell names its whole text; the fixed windows cannot be resized or
// maximized, every window fits the screen, and no two controls or menu items
// of one share an access key. The main window opens where it was closed.

#include "tests/ui/MainWindowRig.h"
#include "ui/Text.h"
#include "ui/Twips.h"
#include "ui/about/frmAbout.h"
#include "ui/about/frmHelp.h"
#include "ui/editor/frmAskFileName.h"
#include "ui/history/frmHistory.h"

namespace {

// Forty tasks (the grid scrolls), one with a script name too long for its column.
std::string manyTasks() {
    std::string lines = "Hourly ping~~0~0~0~0~0~0~0~0~0~0~1~heartbeat.wdx\r\n";
    for (int i = 2; i <= 40; ++i) lines += "T" + std::to_string(i) + "~~3~0~0~0~0~0~0~0~0~0~0~a.wdx\r\n";
    return lines;
}

// A caption that does not fit its control, described for the failure message;
// empty when it fits.
QString clipped(QWidget* w) {
    const QFontMetrics fm(w->font());
    int needed = 0, room = 0;
    if (auto* l = qobject_cast<QLabel*>(w)) {
        needed = fm.horizontalAdvance(l->text());
        room = l->contentsRect().width();
        if (fm.height() > l->contentsRect().height()) return l->objectName() + " is too low";
    } else if (auto* b = qobject_cast<QAbstractButton*>(w)) {
        needed = fm.horizontalAdvance(b->text().remove('&'));
        room = b->width() - 8; // the button's frame and margins
        if (fm.height() > b->height() - 4) return b->objectName() + " is too low";
    } else if (auto* c = qobject_cast<QComboBox*>(w); c && !c->isEditable()) {
        QStyleOptionComboBox option;
        option.initFrom(c);
        room = c->style()->subControlRect(QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxEditField, c).width();
        for (int i = 0; i < c->count(); ++i) needed = std::max(needed, fm.horizontalAdvance(c->itemText(i)));
    }
    return needed > room ? QString("%1 needs %2 px, has %3").arg(w->objectName()).arg(needed).arg(room) : QString();
}

QStringList clippedIn(QWidget* window) {
    QStringList found;
    for (QWidget* w : window->findChildren<QWidget*>())
        if (!w->isHidden() && !dynamic_cast<ElidingLabel*>(w) && !clipped(w).isEmpty()) found << clipped(w);
    return found;
}

// The access keys used twice among a window's buttons, labels and menu titles
// (not those of its child windows), or among a menu's items.
QStringList sharedAccessKeys(QWidget* window) {
    QStringList texts, keys, shared;
    if (const auto* menu = qobject_cast<QMenu*>(window))
        for (const QAction* a : menu->actions()) texts << a->text();
    for (QWidget* w : window->findChildren<QWidget*>()) {
        if (w->window() != window) continue;
        if (const auto* b = qobject_cast<QAbstractButton*>(w)) texts << b->text();
        if (const auto* l = qobject_cast<QLabel*>(w)) texts << l->text();
        if (const auto* bar = qobject_cast<QMenuBar*>(w))
            for (const QAction* a : bar->actions()) texts << a->text();
    }
    static const QRegularExpression mnemonic("&([^&])");
    for (const QString& text : texts) {
        const QString key = mnemonic.match(text).captured(1).toUpper();
        if (!key.isEmpty() && keys.contains(key)) shared << key;
        keys << key;
    }
    return shared;
}

} // namespace

class LayoutTest : public QObject {
    Q_OBJECT

private slots:
    // At each face: every caption of a fixed window fits its control (the
    // editor's for every interval); a fixed window keeps its size, cannot be
    // maximized (the main window can be minimized) and gives no access key
    // twice among its controls, menu titles or the items of one menu; every
    // window opens inside the screen's free area, frame and all.
    void everyWindowFits_data() {
        QTest::addColumn<double>("points");
        for (double p : {8.0, 10.0, 12.0}) QTest::newRow(qPrintable(QString("%1 pt").arg(p))) << p;
    }
    void everyWindowFits() {
        QFETCH(double, points);
        // The desktop face at that size, back to the default after the test.
        QFont face = QApplication::font();
        const auto restore = qScopeGuard([normal = face] { QApplication::setFont(normal); });
        face.setPointSizeF(points);
        QApplication::setFont(face);
        Rig shown;
        shown.start(manyTasks());
        QVERIFY(shown.show());
        Form1& form = *shown.form;
        frmDetail* editor = form.editor();
        frmAbout about;
        frmHelp help;
        frmHistory history(QString::fromStdString(shown.dir.path()));
        const QList<QWidget*> fixed = {&form, editor, editor->askFileName(), &about};
        for (QWidget* w : fixed + QList<QWidget*>{&help, &history}) {
            w->show();
            QVERIFY(QTest::qWaitForWindowExposed(w));
            QVERIFY2(w->screen()->availableGeometry().contains(w->frameGeometry()), qPrintable(w->objectName()));
            if (fixed.contains(w)) {
                QCOMPARE(clippedIn(w), QStringList());
                QCOMPARE(w->minimumSize(), w->maximumSize());
                QVERIFY2(!(w->windowFlags() & Qt::WindowMaximizeButtonHint), qPrintable(w->objectName()));
                QCOMPARE(sharedAccessKeys(w), QStringList());
            }
            if (w != &form) w->hide();
        }
        QVERIFY(form.windowFlags() & Qt::WindowMinimizeButtonHint);
        for (QMenu* menu : form.findChildren<QMenu*>())
            QVERIFY2(sharedAccessKeys(menu).isEmpty(), qPrintable(menu->objectName()));
        for (int interval = 0; interval < 6; ++interval) {
            editor->cmbInterval->setCurrentIndex(interval);
            QCOMPARE(clippedIn(editor), QStringList());
        }
        editor->cmbScriptFiles->setEditText("a.wdx"); // the script button's other caption
        editor->cmbScriptFiles_Click();
        QCOMPARE(sharedAccessKeys(editor), QStringList());
        QVERIFY(form.grid().table()->rowHeight(0) >= form.grid().table()->fontMetrics().height());

        // The hint panel shows the longest fixed hints whole: the grid's,
        // which follows the column under the pointer, and the standby button's.
        auto* panel = form.findChild<ElidingLabel*>("Panel2");
        const int activeLeft = form.grid().table()->columnViewportPosition(4);
        for (const auto& [x, hint] :
             {std::pair(activeLeft - 5, "Drag tasks"), std::pair(activeLeft + 5, "Double click")}) {
            form.Grid1_MouseMove(0, pixelsToTwipsX(x), 10);
            QVERIFY(form.hintText().startsWith(hint));
            QCOMPARE(panel->text(), form.hintText());
        }
        form.cmdSendtoTray_MouseMove();
        QCOMPARE(panel->text(), form.hintText());
        // A longer one ends in an ellipsis and is whole in the tooltip.
        form.setPanelText(2, QString("Delete task %1 from the task list permanently.").arg(QString(200, 'W')));
        QVERIFY(panel->text().endsWith(QChar(0x2026)));
        QCOMPARE(panel->toolTip(), form.hintText());

        // Whatever is clicked or pressed, the grid has no sideways range, and
        // the headings stand over their columns. A cell whose text does not
        // fit names it whole in a tooltip.
        QTableWidget* grid = form.grid().table();
        for (int c : {1, 4})
            QTest::mouseClick(grid->viewport(), Qt::LeftButton, {},
                              QPoint(grid->columnViewportPosition(c) + grid->columnWidth(c) - 2, 5));
        QTest::keyClick(grid, Qt::Key_Right);
        QTest::keyClick(grid, Qt::Key_End);
        QCOMPARE(grid->horizontalScrollBar()->maximum(), 0);
        const int left = grid->x() + grid->viewport()->x();
        QCOMPARE(form.findChild<QLabel*>("Label5")->x(), left + grid->columnViewportPosition(4));
        for (int column : {0, 3}) {
            const QString text = grid->item(0, column)->text().trimmed();
            const QRect cell = grid->visualRect(grid->model()->index(0, column));
            QToolTip::hideText();
            QHelpEvent help(QEvent::ToolTip, cell.center(), grid->viewport()->mapToGlobal(cell.center()));
            QApplication::sendEvent(grid->viewport(), &help);
            const bool fits = grid->fontMetrics().horizontalAdvance(text) <= cell.width() - 3;
            QCOMPARE(QToolTip::isVisible() ? QToolTip::text() : QString(), fits ? QString() : text);
        }

        // The main window opens where it was closed; a place off the screen
        // (one that has gone) comes back into the free area.
        for (const QPoint at : {QPoint(8, 30), QPoint(-5000, 30)}) {
            shown.form->move(at);
            shown.form->close();
            shown.open(shown.dir.path());
            QVERIFY(shown.show());
            QVERIFY2(shown.form->frameGeometry().topLeft() == at ||
                         (at.x() < 0 &&
                          shown.form->screen()->availableGeometry().contains(shown.form->frameGeometry())),
                     qPrintable(QString("%1,%2").arg(shown.form->x()).arg(shown.form->y())));
        }
    }
};

QTEST_MAIN(LayoutTest)
#include "LayoutTest.moc"
