#ifndef KZEMBA_BASE_KZEMBAWIDGETTYPE_H
#define KZEMBA_BASE_KZEMBAWIDGETTYPE_H

namespace zemba {
namespace base {

// The kind of store page a web widget hosts; given to the widget by its creator.
enum KZembaWidgetType
{
    KZembaWidgetTypeNone = -1, // no kind given: dragable widgets and web dialogs
    KZembaWidgetTypeUnknown = 0,
    KZembaWidgetTypeCommon = 1,
    KZembaWidgetTypeDialog = 2,
    KZembaWidgetTypePanel = 3,
    KZembaWidgetTypeLite = 4,
};

} // namespace base
} // namespace zemba

#endif
