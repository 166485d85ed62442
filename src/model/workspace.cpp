#include "model/workspace.h"

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

void HideAverageLabels(Workspace& ws) {
    for (Field* f : {&ws.Label30, &ws.Label28, &ws.Label29, &ws.Label31}) f->visible = false;
}

void EmptyResultFields(Workspace& ws, bool withStudent) {
    for (Field* f : {&ws.txtAutoMeanAlto, &ws.txtAutoMeanBasso, &ws.txtManualMeanAlto,
                     &ws.txtManualMeanBasso, &ws.Text3, &ws.Text4})
        f->text.clear();
    if (withStudent) ws.Text5.text.clear();
}

void ResetWorkspace(Workspace& ws) {
    ws = Workspace();
    Form_Load(ws);
}

}  // namespace velta
