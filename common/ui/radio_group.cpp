#include "common/ui/radio_group.h"

#include <QGridLayout>
#include <QProxyStyle>
#include <QRadioButton>
#include <vector>

#include "common/ui/guarded.h"
#include "common/ui/text.h"

namespace ctiq {
namespace {

// Items as tight as the groups were drawn for: one pixel between circle and text and no label
// margin (the common style adds 4 pixels), so narrow groups keep their captions. A style, not a
// style sheet: style-sheeted widgets keep their font when the desktop's font changes.
class TightItemStyle : public QProxyStyle {
  public:
    int pixelMetric(PixelMetric metric, const QStyleOption* option,
                    const QWidget* widget) const override {
        if (metric == PM_RadioButtonLabelSpacing) return 1;
        return QProxyStyle::pixelMetric(metric, option, widget);
    }
    QSize sizeFromContents(ContentsType type, const QStyleOption* option, const QSize& contents,
                           const QWidget* widget) const override {
        QSize size = QProxyStyle::sizeFromContents(type, option, contents, widget);
        if (type == CT_RadioButton) size.rwidth() -= kLabelMargin;
        return size;
    }

  private:
    static constexpr int kLabelMargin = 4;
};

}  // namespace

RadioGroup::RadioGroup(const QString& caption, const QStringList& items, int columns,
                       QWidget* parent)
    : QGroupBox(translatedCaption(caption.toUtf8().constData()), parent), buttons_(this) {
    auto* layout = new QGridLayout(this);
    layout->setContentsMargins(2, 0, 2, 0);
    layout->setHorizontalSpacing(0);
    layout->setVerticalSpacing(0);
    std::vector<QRadioButton*> made;
    for (int i = 0; i < items.size(); ++i) {
        auto* button = new QRadioButton(translatedCaption(items[i].toUtf8().constData()), this);
        buttons_.addButton(button, i);
        layout->addWidget(button, i / columns, i % columns);
        made.push_back(button);
    }
    // Made after the items, so it outlives them when the group's children are deleted.
    auto* tight = new TightItemStyle;
    tight->setParent(this);
    for (QRadioButton* button : made) button->setStyle(tight);
    connect(&buttons_, &QButtonGroup::idClicked, this, [this](int id) {
        if (id == index_) return;
        index_ = id;
        guarded(window(), [this] {
            if (onClick) onClick();
        });
    });
}

void RadioGroup::setItemIndexSilently(int index) {
    index_ = (index >= 0 && index < count()) ? index : -1;
    buttons_.setExclusive(false);
    for (QAbstractButton* b : buttons_.buttons()) b->setChecked(buttons_.id(b) == index_);
    buttons_.setExclusive(true);
}

void RadioGroup::setItemIndex(int index) {
    const int before = index_;
    setItemIndexSilently(index);
    if (index_ != before && onClick) onClick();
}

int RadioGroup::count() const {
    return static_cast<int>(buttons_.buttons().size());
}

QString RadioGroup::itemText(int index) const {
    QAbstractButton* b = buttons_.button(index);
    return b ? b->text() : QString();
}

}  // namespace ctiq
