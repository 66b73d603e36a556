#include "ui/editor/frmDetail.h"

#include <QComboBox>
#include <QEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QShowEvent>

#include "session/Session.h"
#include "store/ScriptFiles.h"
#include "ui/Text.h"
#include "ui/Twips.h"
#include "ui/editor/frmAskFileName.h"

namespace wendrel {

namespace {

constexpr int kClientWidth = 5340;
constexpr int kClientHeight = 2700;

// The button's two captions. Alt+C belongs to Cancel, so creating a script
// takes Alt+R.
const char* const kEditScript = "&Edit Script";
const char* const kCreateScript = "C&reate Script";

} // namespace

frmDetail::frmDetail(Session& session, Host host, QWidget* parent)
    : QDialog(parent), session_(session), host_(std::move(host)) {
    setObjectName("frmDetail");
    setWindowTitle("Task Details");
    setModal(true);
    // A fixed window: a title and a close box, nothing to resize or enlarge.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);

    TwipsLayout layout;
    auto place = [&layout](QWidget* w, QRect twips) { layout.add(w, twips); };
    auto label = [this, &place](QLabel*& field, const char* name, const char* caption, QRect r) {
        field = new QLabel(QString::fromLatin1(caption), this);
        field->setObjectName(name);
        place(field, r);
    };
    auto list = [this, &place](QComboBox*& field, const char* name, QRect r) {
        field = new QComboBox(this);
        field->setObjectName(name);
        field->setEditable(false); // a choice only: every field keeps a valid position
        place(field, r);
        field->setMaxVisibleItems(12);
    };

    label(Label10, "Label10", "Process Name", QRect(120, 160, 1100, 255));
    txtInput[0] = new QLineEdit(this);
    txtInput[0]->setObjectName("txtInput0");
    place(txtInput[0], QRect(1320, 120, 2055, 285));
    label(Label9, "Label9", "Comment", QRect(120, 540, 1100, 255));
    txtInput[1] = new QLineEdit(this);
    txtInput[1]->setObjectName("txtInput1");
    place(txtInput[1], QRect(1320, 480, 3855, 300));
    for (QLineEdit* t : txtInput) t->setMaxLength(32767); // the record's widths apply on Save

    label(Label2, "Label2", "Active", QRect(120, 900, 1100, 255));
    list(cmbActive, "cmbActive", QRect(1320, 840, 615, 315));
    label(Label1, "Label1", "Script Name", QRect(120, 1260, 1100, 255));
    cmbScriptFiles = new QComboBox(this);
    cmbScriptFiles->setObjectName("cmbScriptFiles");
    cmbScriptFiles->setEditable(true);
    cmbScriptFiles->setInsertPolicy(QComboBox::NoInsert); // typing never adds entries
    place(cmbScriptFiles, QRect(1320, 1200, 1935, 315));
    cmdEditScript = new QPushButton(kCreateScript, this); // the wider of its two captions
    cmdEditScript->setObjectName("cmdEditScript");
    place(cmdEditScript, QRect(3480, 1200, 1815, 300));
    cmdEditScript->setAutoDefault(false);

    label(Label8, "Label8", "Interval", QRect(120, 1620, 1100, 255));
    list(cmbInterval, "cmbInterval", QRect(1320, 1560, 1095, 315));
    list(cmbMinsPastHour, "cmbMinsPastHour", QRect(2520, 1560, 735, 315));
    label(lblMinsPastHour, "lblMinsPastHour", "Minutes past the hour", QRect(3360, 1620, 1695, 255));
    list(cmbDayofMonth, "cmbDayofMonth", QRect(2520, 1560, 735, 315));
    label(lblDayofMonth, "lblDayofMonth", "Day of the month", QRect(3360, 1620, 1695, 255));
    label(lblOther, "lblOther", "Every", QRect(2520, 1620, 495, 255));
    list(cmbDayofWeek, "cmbDayofWeek", QRect(3000, 1560, 1455, 315));
    list(cmbOther, "cmbOther", QRect(3000, 1560, 615, 315));
    list(cmbMSOption, "cmbMSOption", QRect(3720, 1560, 735, 315));
    label(lblTime, "lblTime", "Time", QRect(120, 1980, 1100, 255));
    list(cmbTimeHour, "cmbTimeHour", QRect(1320, 1920, 615, 315));
    list(cmbTimeMinute, "cmbTimeMinute", QRect(2040, 1920, 615, 315));
    label(lblTime1, "lblTime1", "Hours", QRect(2690, 1980, 1095, 255));
    label(lblDate, "lblDate", "Date", QRect(120, 2340, 1100, 255));
    list(cmbDateMonth, "cmbDateMonth", QRect(1320, 2280, 1215, 315));
    list(cmbDateDay, "cmbDateDay", QRect(2640, 2280, 735, 315));

    cmdSave = new QPushButton("&Save", this);
    cmdSave->setObjectName("cmdSave");
    place(cmdSave, QRect(3480, 2230, 855, 375));
    cmdCancel = new QPushButton("&Cancel", this);
    cmdCancel->setObjectName("cmdCancel");
    place(cmdCancel, QRect(4440, 2230, 855, 375));
    // Enter saves from any field (Escape cancels, see reject); a button with
    // the focus does not take Enter over.
    cmdSave->setAutoDefault(false);
    cmdCancel->setAutoDefault(false);
    cmdSave->setDefault(true);

    // Keyboard order.
    QWidget* order[] = {txtInput[0],     txtInput[1],  cmbActive,   cmbScriptFiles, cmbInterval,  cmbDayofMonth,
                        cmbOther,        cmbMSOption,  cmbTimeHour, cmbTimeMinute,  cmbDateMonth, cmbDateDay,
                        cmbMinsPastHour, cmbDayofWeek, cmdSave,     cmdCancel,      cmdEditScript};
    for (std::size_t i = 0; i + 1 < std::size(order); ++i) setTabOrder(order[i], order[i + 1]);
    for (QWidget* w : order) w->setFocusPolicy(Qt::StrongFocus);

    // A text longer than its box scrolls inside it; the whole text shows as
    // the box's tooltip.
    for (QLineEdit* box : {txtInput[0], txtInput[1], cmbScriptFiles->lineEdit()}) {
        connect(box, &QLineEdit::textChanged, box, [box](const QString& text) {
            const int room = box->width() - 8; // the box's frame and text margins
            box->setToolTip(box->fontMetrics().horizontalAdvance(text) > room ? text : QString());
        });
    }
    // The button creates a script while the box names none, and edits the
    // named one otherwise.
    connect(cmbScriptFiles, &QComboBox::editTextChanged, this, [this] { showScriptButtonCaption(); });
    connect(cmbInterval, &QComboBox::currentIndexChanged, this, [this] { cmbInterval_Click(); });
    connect(cmbScriptFiles, &QComboBox::activated, this, [this] { cmbScriptFiles_Click(); });
    connect(cmbScriptFiles, &QComboBox::currentIndexChanged, this, [this](int index) {
        if (index >= 0) cmbScriptFiles_Click();
    });
    connect(cmdSave, &QPushButton::clicked, this, [this] { cmdSave_Click(); });
    connect(cmdCancel, &QPushButton::clicked, this, [this] { cmdCancel_Click(); });
    connect(cmdEditScript, &QPushButton::clicked, this, [this] { cmdEditScript_Click(); });

    Form_Load(); // the lists' entries count for the widths
    layout.apply();
    setFixedSize(layout.x(kClientWidth), layout.y(kClientHeight));
    cmdEditScript->setText(kEditScript);
    cmbInterval_Click();
}

frmDetail::~frmDetail() = default;

void frmDetail::Form_Load() { fillLists(); }

void frmDetail::cmbInterval_Click() { showIntervalFields(); }

int frmDetail::currentSlot() const { return host_.currentSlot(); }

void frmDetail::Form_Activate() {
    const int n = currentSlot();
    if (n < 1 || n > General::kSlotCount) return;
    const TaskRecord& r = session_.general().slot(n);
    load(r);

    int unused = 0;
    FillScriptList(QString(), unused);

    showScriptButtonCaption();
    txtInput[0]->setFocus();
}

void frmDetail::StoreTaskFromEditor(int n) {
    if (n < 1 || n > General::kSlotCount) return;
    TaskRecord fields = session_.general().slot(n);
    store(fields);
    session_.storeFields(n, fields);
}

void frmDetail::showScriptButtonCaption() {
    cmdEditScript->setText(cmbScriptFiles->currentText().trimmed().isEmpty() ? kCreateScript : kEditScript);
}

void frmDetail::cmdSave_Click() {
    const int n = currentSlot();
    if (n < 1 || n > General::kSlotCount) return;
    // A script name the task cannot hold whole would be cut to another
    // file's name: the editor stays open until it is corrected.
    std::string script = cmbScriptFiles->currentText().toStdString();
    while (!script.empty() && script.back() == ' ') script.pop_back();
    if (const auto problem = script.empty() ? std::nullopt : scriptNameProblem(script)) {
        session_.services().messages->show(*problem, "Wendrel 1.00", MsgButtons::Ok, MsgIcon::Critical);
        return;
    }
    TaskRecord fields = session_.general().slot(n);
    store(fields);
    // Saved here, not when the editor's loop returns: a script that waits
    // inside that loop may hold it for long.
    session_.commit(n, fields);
    host_.saved(n);
    done(QDialog::Accepted);
}

void frmDetail::cmdCancel_Click() {
    if (session_.cancel()) host_.newTaskDropped();
    done(QDialog::Rejected);
}

void frmDetail::reject() {
    // Escape and the window frame's close box end the editing like Cancel, so a
    // task added by New never stays behind as a blank task.
    if (isVisible()) cmdCancel_Click();
    else QDialog::reject();
}

void frmDetail::cmbScriptFiles_Click() {
    cmdEditScript->setText(cmbScriptFiles->currentText().trimmed().isEmpty() ? kCreateScript : kEditScript);
}

// The task is loaded when the main window shows the editor, and again when
// the new-script dialog closes (cmdEditScript_Click); never on a mere change
// of activation, so a visit to another program keeps what was typed.
void frmDetail::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!event->spontaneous()) Form_Activate();
}

} // namespace wendrel
