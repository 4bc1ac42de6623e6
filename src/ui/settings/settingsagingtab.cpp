#include "ui/settings/settingsagingtab.h"

#include "settings/settingsstore.h"
#include "ui/common/panelstyle.h"
#include "ui/common/statusdot.h"
#include "ui/settings/settingsform.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSlider>
#include <QVBoxLayout>

using namespace Qt::Literals::StringLiterals;

namespace halyard {

namespace {

constexpr int kMarkerDiameter = 10;
constexpr int kLabelWidth = 130;

int wholeMinutes(double seconds)
{
    return static_cast<int>(seconds / 60);
}

} // namespace

SettingsAgingTab::SettingsAgingTab(SettingsStore& settings, QWidget* parent)
    : QWidget(parent)
    , m_settings(settings)
{
    using namespace settingsform;

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(kMargin, kMargin, kMargin, kMargin);
    layout->setSpacing(16);

    auto* heading = new QLabel(tr("Aging thresholds"), this);
    heading->setFont(panelstyle::textFont(15, QFont::DemiBold));
    auto* intro = new QVBoxLayout;
    intro->setSpacing(4);
    intro->addWidget(heading);
    intro->addWidget(helpLabel(tr("Each alert ages through four stages while it waits in the "
                                  "queue. Drag to match how urgent your channels actually are. "
                                  "Each slider only moves its own threshold — drag from the "
                                  "right to extend everything."),
        this));
    layout->addLayout(intro);

    m_fresh
        = addRow(layout, u"fresh"_s, tr("Fresh → Aging"), panelstyle::stageColor(AgeStage::aging),
            [this](double minutes) { m_settings.setFreshMinutes(minutes); });
    m_aging
        = addRow(layout, u"aging"_s, tr("Aging → Stale"), panelstyle::stageColor(AgeStage::stale),
            [this](double minutes) { m_settings.setAgingMinutes(minutes); });
    m_stale = addRow(layout, u"stale"_s, tr("Stale → Overdue"),
        panelstyle::stageColor(AgeStage::overdue),
        [this](double minutes) { m_settings.setStaleMinutes(minutes); });

    auto* reset = new QPushButton(tr("Reset to defaults"), this);
    reset->setObjectName(u"resetAgingButton"_s);
    reset->setAccessibleDescription(tr("Sets the thresholds back to 5, 15 and 30 minutes"));
    layout->addWidget(reset, 0, Qt::AlignLeft);
    layout->addStretch(1);

    connect(reset, &QPushButton::clicked, this, [this] {
        m_settings.setAgingPolicy(
            AgingPolicy { .freshUntil = 300, .agingUntil = 900, .staleUntil = 1800 });
        showPolicy();
    });
    connect(&settings, &SettingsStore::agingPolicyChanged, this, &SettingsAgingTab::showPolicy);
    showPolicy();
}

SettingsAgingTab::Row SettingsAgingTab::addRow(QVBoxLayout* layout, const QString& name,
    const QString& label, const QColor& color, std::function<void(double)> set)
{
    auto* marker = new StatusDot(kMarkerDiameter, false, this);
    marker->setColor(color);
    auto* title = new QLabel(label, this);
    title->setFont(panelstyle::textFont(12, QFont::Medium));
    title->setFixedWidth(kLabelWidth);

    Row row;
    row.value = new QLabel(this);
    row.value->setObjectName(name + u"Value"_s);
    row.value->setFont(panelstyle::textFont(13));
    panelstyle::setTone(row.value, panelstyle::Tone::secondary);
    row.value->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    // Room for the widest value, so the slider does not shift while it moves.
    row.value->setMinimumWidth(
        row.value->fontMetrics().horizontalAdvance(tr("%1 min").arg(u"000"_s)));
    row.slider = new QSlider(Qt::Horizontal, this);
    row.slider->setObjectName(name + u"Slider"_s);
    row.slider->setRange(1, kSliderMaxMinutes);
    row.slider->setSingleStep(1);
    row.slider->setPageStep(5);
    row.slider->setAccessibleName(label);
    row.slider->setAccessibleDescription(tr("Minutes, from 1 to %1").arg(kSliderMaxMinutes));

    auto* line = new QHBoxLayout;
    line->setSpacing(8);
    line->addWidget(marker, 0, Qt::AlignVCenter);
    line->addWidget(title);
    line->addWidget(row.slider, 1);
    line->addWidget(row.value);
    layout->addLayout(line);

    // The store clamps; the slider then shows where the threshold ended up, even when that is
    // where it already was and the store says nothing.
    connect(row.slider, &QSlider::valueChanged, this, [this, set = std::move(set)](int minutes) {
        set(minutes);
        showPolicy();
    });
    return row;
}

void SettingsAgingTab::showPolicy()
{
    const AgingPolicy& policy = m_settings.agingPolicy();
    const std::pair<Row*, double> rows[] = {
        { &m_fresh, policy.freshUntil },
        { &m_aging, policy.agingUntil },
        { &m_stale, policy.staleUntil },
    };
    for (const auto& [row, seconds] : rows) {
        const int minutes = wholeMinutes(seconds);
        const QSignalBlocker blocker(row->slider);
        row->slider->setValue(minutes);
        row->value->setText(tr("%1 min").arg(minutes));
    }
}

} // namespace halyard
