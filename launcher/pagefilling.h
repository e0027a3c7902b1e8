#pragma once

#include "launcherbuild.h"

#include <QWidget>

// When a page reads its files: the full launcher reads them afresh each time
// the page is shown, launcher-lite once, when the page is built. A page calls
// whenBuilt() at the end of its constructor and whenShown() from its show(),
// and fills itself in init_show().
namespace PageFilling {

template <typename Page>
void whenBuilt(Page& page)
{
    if constexpr (liteBuild)
        page.init_show();
}

template <typename Page>
void whenShown(Page& page)
{
    if constexpr (!liteBuild)
        page.init_show();
    page.QWidget::show();
}

} // namespace PageFilling
