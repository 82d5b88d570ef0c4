// Viewer and repair tool windows.
