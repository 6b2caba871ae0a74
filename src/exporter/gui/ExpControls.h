// ExpControls — the kinds of control the exporter window's tabs are made of (real spin edits
// with a unit, radio groups, colour panels) and the binder that ties each control to its field of
// the one options struct, both ways.
#pragma once

#include "exporter/ExportOptions.h"

#include <QDoubleSpinBox>
#include <QGroupBox>
#include <QLabel>
#include <QStringList>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

class QAbstractButton;
class QButtonGroup;
class QCheckBox;
class QComboBox;
class QLineEdit;
class QPushButton;
class QSlider;
class QSpinBox;

namespace lumora::exporter {

// A window colour (red in the lowest byte) as Qt's colour, and back.
QColor ToQColor(TColorValue color);
TColorValue FromQColor(const QColor& color);

// A spin edit of a real value with its unit after it ("25 Ft."). The value keeps six decimals;
// the text shows it in general format, without trailing zeros.
class TRealSpin : public QDoubleSpinBox {
    Q_OBJECT
public:
    TRealSpin(const char* name, const QString& unit, double lowest, double highest);
    // Replaces the unit after the number.
    void SetUnit(const QString& unit);
    QString Unit() const { return m_Unit; }
    QString textFromValue(double value) const override;

private:
    QString m_Unit;
};

// A titled group of radio buttons whose choice is an index: -1 when no button is selected.
class TRadioGroup : public QGroupBox {
    Q_OBJECT
public:
    TRadioGroup(const char* name, const QString& title, const QStringList& items);
    int Index() const;
    // Selects item index; an index outside the items selects none.
    void SetIndex(int index);
    QAbstractButton* Button(int index) const;
    int Count() const;
    // Puts the buttons side by side instead of one under the other.
    void LayOutInRow();

signals:
    // A button was selected, by the user or by SetIndex.
    void Changed(int index);

private:
    QButtonGroup* m_Group;
};

// A sunken panel showing a colour.
class TColorPanel : public QLabel {
    Q_OBJECT
public:
    explicit TColorPanel(const char* name);
    void SetColor(TColorValue color);
    TColorValue Color() const { return m_Color; }

private:
    TColorValue m_Color = 0;
};

// A panel holding a colour index of the drawing format and showing its palette colour.
class TAciPanel : public TColorPanel {
    Q_OBJECT
public:
    explicit TAciPanel(const char* name) : TColorPanel(name) {}
    void SetIndex(std::int32_t index);
    std::int32_t Index() const { return m_Index; }

private:
    std::int32_t m_Index = 0;
};

// Makes the controls of the tabs, each bound to its field of TExportOptions: Load shows a whole
// options struct in the controls, Store reads every bound control back into one.
class TOptionBinder {
public:
    template <class T> using TField = T& (*)(TExportOptions&);

    QCheckBox* Check(const char* name, const QString& caption, TField<bool> field);
    TRealSpin* Real(const char* name, const QString& unit, double lowest, double highest,
                    TField<double> field);
    QSpinBox* Integer(const char* name, const QString& unit, int lowest, int highest,
                      TField<std::int32_t> field);
    TRadioGroup* Radio(const char* name, const QString& title, const QStringList& items,
                       TField<std::int32_t> field);
    // A group of two items held as a flag: true when secondItem is selected.
    TRadioGroup* FlagRadio(const char* name, const QString& title, const QStringList& items,
                           TField<bool> field, bool secondItem = true);
    TColorPanel* Color(const char* name, TField<TColorValue> field);
    // A colour index of the drawing format, shown as its palette colour.
    TAciPanel* AciColor(const char* name, TField<std::int32_t> field);
    QLineEdit* Text(const char* name, TField<std::string> field);
    QSlider* Slider(const char* name, int lowest, int highest, TField<std::int32_t> field);
    // A list of names whose selection is an index: -1 when nothing is selected.
    QComboBox* List(const char* name, TField<std::int32_t> field);

    void Load(TExportOptions options) const;
    void Store(TExportOptions& options) const;

    using TStep = std::function<void(TExportOptions&)>;
    // A control bound by hand: load shows the option, store reads it back.
    void Bind(TStep load, TStep store);

private:
    std::vector<TStep> m_Load;
    std::vector<TStep> m_Store;
};

// The field of TExportOptions at path, for the binder: LUMORA_OPTION(bool, Dxf.ProfileMode).
#define LUMORA_OPTION(type, path)                                                                  \
    +[](::lumora::exporter::TExportOptions& o) -> type& { return o.path; }

// A push button with an object name.
QPushButton* Button(const char* name, const QString& caption);

} // namespace lumora::exporter
