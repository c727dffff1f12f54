-- Darkens the image towards its corners. The shade is built in the destination as
-- black with an alpha that grows with the distance from the centre (slider 1 is the
-- strength, slider 2 the radius where darkening starts), then merged onto the layer
-- in Multiply mode at full opacity.
local strength = sliderVal1
local start = sliderVal2
local cx, cy = (width - 1) / 2, (height - 1) / 2
local reach = math.sqrt(cx * cx + cy * cy)
if reach == 0 then reach = 1 end
for y = 0, height - 1 do
  for x = 0, width - 1 do
    local dx, dy = x - cx, y - cy
    local d = math.sqrt(dx * dx + dy * dy) / reach
    local a = 0
    if d > start and start < 1 then a = (d - start) / (1 - start) * strength end
    set_rgba(x, y, 0, 0, 0, a)
  end
end
merge(MERGE_MULTIPLY, 1)
-- The layer now holds the result; a script that merges leaves nothing for the
-- final write-back to change, so the destination is made equal to the new layer.
for y = 0, height - 1 do
  for x = 0, width - 1 do
    set_rgba(x, y, get_rgba(x, y))
  end
end
