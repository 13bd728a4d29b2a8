#pragma once
// Names of the program's embedded pictures (RCDATA resources holding PNG files). The shadow frame
// is stored in the Russian language (1049), as the windows that use it look it up.

#define VQ_RES_LOADING_ICONS L"LOADINGICONS"
#define VQ_RES_NORMAL_ICONS L"NORMALICONS"
#define VQ_RES_PIC_CONECTING L"PICCONECTING"
#define VQ_RES_PIC_PAUSE L"PICPAUSE"
#define VQ_RES_PIC_CONECTED L"PICCONECTED"
#define VQ_RES_PIC_STOP L"PICSTOP"
#define VQ_RES_PIE_CHART L"PIECHART"
#define VQ_RES_GLOBE L"GLOBEMOUSE"
#define VQ_RES_LOGO L"LOGO"
#define VQ_RES_SHADOW_FRAME L"SHADOWFRAME"
#define VQ_RES_LANGUAGE_RUSSIAN 1049
