#include "app/formsplash.h"

#include "controls/gauge.h"

#include <QGuiApplication>
#include <QHBoxLayout>
#include <QScreen>

TFormSplash::TFormSplash(QWidget* parent)
    : QWidget(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint)
{
    setObjectName(QStringLiteral("FormSplash"));
    setAttribute(Qt::WA_DeleteOnClose, false);

    m_gauge = new TGauge(this);
    m_gauge->setObjectName(QStringLiteral("Gauge1"));
    m_gauge->setMinValue(0);
    m_gauge->setMaxValue(100);
    m_gauge->setProgress(0);

    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(kGaugeBorder, kGaugeBorder, kGaugeBorder, kGaugeBorder);
    layout->addWidget(m_gauge);

    setFixedSize(kOuterWidth, kOuterHeight);
}

void TFormSplash::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    placeOnScreen();
}

void TFormSplash::placeOnScreen()
{
    const QSize frameExtra = frameGeometry().size() - geometry().size();
    setFixedSize(QSize(kOuterWidth, kOuterHeight) - frameExtra);

    QScreen* s = screen() ? screen() : QGuiApplication::primaryScreen();
    if (!s)
        return;
    QRect outer(QPoint(), QSize(kOuterWidth, kOuterHeight));
    outer.moveCenter(s->geometry().center());
    move(outer.topLeft());
}
