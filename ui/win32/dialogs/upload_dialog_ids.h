#pragma once
// Controls of "Upload segment".
#define IDC_UPLOAD_SEGMENTS 1401
#define IDC_UPLOAD_START 1402
#define IDC_UPLOAD_BYTES 1403
#define IDC_UPLOAD_RUN 1404
#define IDC_UPLOAD_CLOSE 1405
