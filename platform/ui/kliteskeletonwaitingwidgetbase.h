#ifndef KZEMBA_UI_KLITESKELETONWAITINGWIDGETBASE_H
#define KZEMBA_UI_KLITESKELETONWAITINGWIDGETBASE_H

#include "kzembaplatform_export.h"

#include <QWidget>

/// Base of the suite's skeleton waiting widgets (grey outlines of the page to
/// come). They paint with the current skin's colours and re-read them when
/// told the skin changed.
class KZEMBAPLATFORM_EXPORT KLiteSkeletonWaitingWidgetBase : public QWidget
{
    Q_OBJECT
public:
    explicit KLiteSkeletonWaitingWidgetBase(QWidget* parent = nullptr);
    ~KLiteSkeletonWaitingWidgetBase() override;

    // Re-reads the skin's colours and repaints; counted, so a host can see it happen.
    virtual void applySkin();
    int skinApplications() const { return m_skinApplications; }

private:
    int m_skinApplications = 0;
};

#endif
