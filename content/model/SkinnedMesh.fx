// Skinned-mesh effect. The fixed-function path draws the meshes; this file only
// has to exist and load.
technique Skinning { pass P0 { } }
