#include "statuswidget.h"

#include <QHBoxLayout>
#include <QLabel>

StatusWidget::StatusWidget(QWidget *parent)
    : QWidget(parent)
{
    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    m_pLabel = new QLabel(this);
    m_pLabel->setObjectName(QStringLiteral("labelStatus"));
    m_pLabel->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    m_pLabel->setFrameShape(QFrame::Panel);
    m_pLabel->setFrameShadow(QFrame::Sunken);
    layout->addWidget(m_pLabel);
}

void StatusWidget::setText(const QString &text) { m_pLabel->setText(text); }

QString StatusWidget::text() const { return m_pLabel->text(); }
