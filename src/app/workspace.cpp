#include "app/workspace.h"

namespace velta {

Workspace::Workspace() {
    StatusBar1[1].text = "File name:";
    StatusBar1[4].text = "Generation started:";
    StatusBar1[7].text = "Generation completed:";
}

void Form_Load(Workspace& ws) {
    ws.VtChart1.LoadPlaceholder();
    ws.VtChart2.LoadPlaceholder();
    ws.Slider1.min = 2;
    ws.Slider1.max = 4;
    ws.Slider1.step = 1;
    ws.Slider1.selStart = 3;
    ws.Slider1.value = 2;

    ws.cmbAlphaStud.items = {"0.01", "0.05", "0.10"};
    ws.cmbAlphaStud.text = "0.05";

    for (Field* f : {&ws.Command1, &ws.cmdEsegui, &ws.cmdFilter, &ws.cmdAutoSampleSize,
                     &ws.tStudentSampleSize})
        f->enabled = false;
}

}  // namespace velta
