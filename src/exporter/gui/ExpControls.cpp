#include "exporter/gui/ExpControls.h"

#include "exporter/ACADLib.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QSpinBox>
#include <QVBoxLayout>

namespace lumora::exporter {

QColor ToQColor(TColorValue color) {
    return QColor(int(color & 0xFF), int(color >> 8 & 0xFF), int(color >> 16 & 0xFF));
}

TColorValue FromQColor(const QColor& color) {
    return TColorValue(color.red()) | TColorValue(color.green()) << 8 |
           TColorValue(color.blue()) << 16;
}

TRealSpin::TRealSpin(const char* name, const QString& unit, double lowest, double highest) {
    setObjectName(name);
    setDecimals(6);
    setRange(lowest, highest);
    setSingleStep(1.0);
    setGroupSeparatorShown(false);
    SetUnit(unit);
}

void TRealSpin::SetUnit(const QString& unit) {
    m_Unit = unit;
    setSuffix(unit.isEmpty() ? QString() : " " + unit);
}

QString TRealSpin::textFromValue(double value) const {
    QString text = locale().toString(value, 'f', decimals());
    const QString point = locale().decimalPoint();
    if (text.contains(point)) {
        while (text.endsWith('0'))
            text.chop(1);
        if (text.endsWith(point))
            text.chop(point.size());
    }
    return text;
}

TRadioGroup::TRadioGroup(const char* name, const QString& title, const QStringList& items)
    : QGroupBox(title), m_Group(new QButtonGroup(this)) {
    setObjectName(name);
    auto* layout = new QVBoxLayout(this);
    layout->setSpacing(2);
    for (int i = 0; i < items.size(); ++i) {
        auto* radio = new QRadioButton(items[i]);
        m_Group->addButton(radio, i);
        layout->addWidget(radio);
    }
    connect(m_Group, &QButtonGroup::idToggled, this, [this](int id, bool on) {
        if (on)
            emit Changed(id);
    });
}

int TRadioGroup::Index() const {
    return m_Group->checkedId();
}

void TRadioGroup::SetIndex(int index) {
    if (QAbstractButton* button = m_Group->button(index)) {
        button->setChecked(true);
        return;
    }
    // An exclusive group keeps one button checked: no selection needs it lifted for a moment.
    m_Group->setExclusive(false);
    for (QAbstractButton* b : m_Group->buttons())
        b->setChecked(false);
    m_Group->setExclusive(true);
}

QAbstractButton* TRadioGroup::Button(int index) const {
    return m_Group->button(index);
}

int TRadioGroup::Count() const {
    return int(m_Group->buttons().size());
}

void TRadioGroup::LayOutInRow() {
    delete layout(); // the buttons stay: they belong to the group box, not to its layout
    auto* row = new QHBoxLayout(this);
    for (QAbstractButton* button : m_Group->buttons())
        row->addWidget(button);
}

TColorPanel::TColorPanel(const char* name) {
    setObjectName(name);
    setFrameStyle(QFrame::Panel | QFrame::Sunken);
    setAutoFillBackground(true);
    setMinimumSize(40, 20);
    SetColor(0);
}

void TColorPanel::SetColor(TColorValue color) {
    m_Color = color & 0xFFFFFF;
    QPalette p = palette();
    p.setColor(QPalette::Window, ToQColor(m_Color));
    setPalette(p);
}

void TAciPanel::SetIndex(std::int32_t index) {
    m_Index = index;
    SetColor(AciToColor(index));
}

void TOptionBinder::Bind(TStep load, TStep store) {
    m_Load.push_back(std::move(load));
    m_Store.push_back(std::move(store));
}

void TOptionBinder::Load(TExportOptions options) const {
    for (const TStep& step : m_Load)
        step(options);
}

void TOptionBinder::Store(TExportOptions& options) const {
    for (const TStep& step : m_Store)
        step(options);
}

QCheckBox* TOptionBinder::Check(const char* name, const QString& caption, TField<bool> field) {
    auto* box = new QCheckBox(caption);
    box->setObjectName(name);
    Bind([box, field](TExportOptions& o) { box->setChecked(field(o)); },
         [box, field](TExportOptions& o) { field(o) = box->isChecked(); });
    return box;
}

TRealSpin* TOptionBinder::Real(const char* name, const QString& unit, double lowest, double highest,
                               TField<double> field) {
    auto* spin = new TRealSpin(name, unit, lowest, highest);
    Bind([spin, field](TExportOptions& o) { spin->setValue(field(o)); },
         [spin, field](TExportOptions& o) { field(o) = spin->value(); });
    return spin;
}

QSpinBox* TOptionBinder::Integer(const char* name, const QString& unit, int lowest, int highest,
                                 TField<std::int32_t> field) {
    auto* spin = new QSpinBox;
    spin->setObjectName(name);
    spin->setRange(lowest, highest);
    spin->setSuffix(" " + unit);
    Bind([spin, field](TExportOptions& o) { spin->setValue(field(o)); },
         [spin, field](TExportOptions& o) { field(o) = spin->value(); });
    return spin;
}

TRadioGroup* TOptionBinder::Radio(const char* name, const QString& title, const QStringList& items,
                                  TField<std::int32_t> field) {
    auto* group = new TRadioGroup(name, title, items);
    Bind([group, field](TExportOptions& o) { group->SetIndex(field(o)); },
         [group, field](TExportOptions& o) { field(o) = group->Index(); });
    return group;
}

TRadioGroup* TOptionBinder::FlagRadio(const char* name, const QString& title,
                                      const QStringList& items, TField<bool> field,
                                      bool secondItem) {
    auto* group = new TRadioGroup(name, title, items);
    Bind([group, field,
          secondItem](TExportOptions& o) { group->SetIndex(field(o) == secondItem ? 1 : 0); },
         [group, field, secondItem](TExportOptions& o) {
             field(o) = (group->Index() == 1) == secondItem;
         });
    return group;
}

TColorPanel* TOptionBinder::Color(const char* name, TField<TColorValue> field) {
    auto* panel = new TColorPanel(name);
    Bind([panel, field](TExportOptions& o) { panel->SetColor(field(o)); },
         [panel, field](TExportOptions& o) { field(o) = panel->Color(); });
    return panel;
}

TAciPanel* TOptionBinder::AciColor(const char* name, TField<std::int32_t> field) {
    auto* panel = new TAciPanel(name);
    Bind([panel, field](TExportOptions& o) { panel->SetIndex(field(o)); },
         [panel, field](TExportOptions& o) { field(o) = panel->Index(); });
    return panel;
}

QLineEdit* TOptionBinder::Text(const char* name, TField<std::string> field) {
    auto* edit = new QLineEdit;
    edit->setObjectName(name);
    Bind([edit, field](TExportOptions& o) { edit->setText(QString::fromStdString(field(o))); },
         [edit, field](TExportOptions& o) { field(o) = edit->text().toStdString(); });
    return edit;
}

QSlider* TOptionBinder::Slider(const char* name, int lowest, int highest,
                               TField<std::int32_t> field) {
    auto* slider = new QSlider(Qt::Horizontal);
    slider->setObjectName(name);
    slider->setRange(lowest, highest);
    slider->setTickPosition(QSlider::TicksBelow);
    slider->setTickInterval(16);
    Bind([slider, field](TExportOptions& o) { slider->setValue(field(o)); },
         [slider, field](TExportOptions& o) { field(o) = slider->value(); });
    return slider;
}

QComboBox* TOptionBinder::List(const char* name, TField<std::int32_t> field) {
    auto* list = new QComboBox;
    list->setObjectName(name);
    Bind(
        [list, field](TExportOptions& o) {
            list->setCurrentIndex(field(o) >= 0 && field(o) < list->count() ? field(o) : -1);
        },
        [list, field](TExportOptions& o) { field(o) = list->currentIndex(); });
    return list;
}

QPushButton* Button(const char* name, const QString& caption) {
    auto* button = new QPushButton(caption);
    button->setObjectName(name);
    return button;
}

} // namespace lumora::exporter
