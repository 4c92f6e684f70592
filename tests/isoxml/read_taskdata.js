// Reads a TASKDATA export (a folder holding TASKDATA/, or a zip) with the
// npm package isoxml, a reader of this format that ZELTLOG did not write,
// and prints what it found as one JSON object for the tests to check.
'use strict';
const fs = require('fs');
const path = require('path');
const JSZip = require('jszip');
const { ISOXMLManager } = require('isoxml');

async function archiveOf(target) {
  if (!fs.statSync(target).isDirectory()) return fs.readFileSync(target);
  const zip = new JSZip();
  const folder = path.join(target, 'TASKDATA');
  for (const name of fs.readdirSync(folder)) zip.file(`TASKDATA/${name}`, fs.readFileSync(path.join(folder, name)));
  return zip.generateAsync({ type: 'uint8array' });
}

async function main() {
  const manager = new ISOXMLManager();
  await manager.parseISOXMLFile(await archiveOf(process.argv[2]), 'application/zip');
  // Every DLV names a DET: the reader takes a dangling one silently.
  const dangling = [];
  const isElement = (ref) => {
    const entity = ref && manager.getEntityByXmlId(ref.xmlId);
    return entity && entity.tag === 'DET';
  };
  const count = (tag) => manager.getEntitiesOfTag(tag).length;
  const result = {
    warnings: manager.getWarnings().filter((w) => !/letter case|must be uppercase/i.test(w)),
    counts: Object.fromEntries(['CTR', 'FRM', 'PFD', 'WKR', 'PDT', 'DVC', 'DET', 'TSK'].map((t) => [t, count(t)])),
    fields: manager.getEntitiesOfTag('PFD').map((f) => ({
      designator: f.attributes.PartfieldDesignator,
      rings: (f.attributes.PolygonnonTreatmentZoneonly || []).flatMap((p) =>
        (p.attributes.LineString || []).map((l) => ({ type: l.attributes.LineStringType, points: (l.attributes.Point || []).length,
          east: (l.attributes.Point || []).map((p) => p.attributes.PointEast) }))),
    })),
    devices: [],
    tasks: [],
    dangling,
  };
  // Each device's elements; a DOR names process data of its device, a parent
  // is 0 or an element of it, and object IDs and element numbers are each
  // the device's own.
  for (const device of manager.getEntitiesOfTag('DVC')) {
    const d = device.attributes;
    const dpds = new Map((d.DeviceProcessData || []).map((p) => [p.attributes.DeviceProcessDataObjectId,
      parseInt(p.attributes.DeviceProcessDataDDI, 16)]));
    const data = [...dpds.keys(), ...(d.DeviceProperty || []).map((p) => p.attributes.DevicePropertyObjectId)];
    const objects = [...(d.DeviceElement || []).map((e) => e.attributes.DeviceElementObjectId), ...data,
      ...(d.DeviceValuePresentation || []).map((p) => p.attributes.DeviceValuePresentationObjectId)];
    const elements = (d.DeviceElement || []).map((e) => e.attributes);
    const numbers = elements.map((e) => e.DeviceElementNumber);
    if (new Set(objects).size !== objects.length) dangling.push(`${d.DeviceDesignator} object IDs`);
    if (new Set(numbers).size !== numbers.length) dangling.push(`${d.DeviceDesignator} element numbers`);
    for (const e of elements) {
      for (const ref of e.DeviceObjectReference || []) {
        if (!data.includes(ref.attributes.DeviceObjectId)) dangling.push(`${e.DeviceElementDesignator} DOR`);
      }
      if (e.ParentObjectId !== 0 && !elements.some((p) => p.DeviceElementObjectId === e.ParentObjectId)) {
        dangling.push(`${e.DeviceElementDesignator} parent`);
      }
    }
    result.devices.push(elements.map((e) => ({ designator: e.DeviceElementDesignator, type: e.DeviceElementType,
      number: e.DeviceElementNumber, object: e.DeviceElementObjectId, parent: e.ParentObjectId,
      ddis: (e.DeviceObjectReference || []).map((r) => dpds.get(r.attributes.DeviceObjectId)) })));
  }
  for (const task of manager.getEntitiesOfTag('TSK')) {
    const a = task.attributes;
    const totals = {};
    for (const time of a.Time || []) {
      for (const dlv of time.attributes.DataLogValue || []) {
        totals[parseInt(dlv.attributes.ProcessDataDDI, 16)] = dlv.attributes.ProcessDataValue;
        if (!isElement(dlv.attributes.DeviceElementIdRef)) dangling.push(`${a.TaskDesignator} TIM DLV`);
      }
    }
    const logs = [];
    for (const timeLog of a.TimeLog || []) {
      for (const dlv of timeLog.timeLogHeader.attributes.DataLogValue || []) {
        if (!isElement(dlv.attributes.DeviceElementIdRef)) dangling.push(`${timeLog.attributes.Filename} DLV`);
      }
      const parsed = timeLog.parseBinaryFile();
      const records = parsed.timeLogs;
      const values = {};
      for (const info of parsed.valuesInfo) {
        const element = manager.getEntityByXmlId(info.deviceElementId);
        values[info.valueKey] = { ddi: info.DDINumber, scale: info.scale, seen: new Set(),
          element: element ? element.attributes.DeviceElementDesignator : '' };
      }
      let minEast = Infinity, maxEast = -Infinity;
      for (const record of records) {
        minEast = Math.min(minEast, record.position.PositionEast);
        maxEast = Math.max(maxEast, record.position.PositionEast);
        for (const [key, value] of Object.entries(record.values)) values[key].seen.add(value);
      }
      logs.push({
        name: timeLog.attributes.Filename,
        errors: timeLog.parsingErrors,
        records: records.length,
        first: records.length ? records[0].time.toISOString() : '',
        last: records.length ? records[records.length - 1].time.toISOString() : '',
        minEast, maxEast,
        // Each value's distinct readings times its presentation's scale.
        values: Object.values(values).map((v) => ({ ddi: v.ddi, element: v.element, scaled: [...v.seen].sort((x, y) => x - y).map((x) => x * v.scale) })),
      });
    }
    result.tasks.push({ designator: a.TaskDesignator, status: a.TaskStatus, customer: a.CustomerIdRef && a.CustomerIdRef.xmlId,
      farm: a.FarmIdRef && a.FarmIdRef.xmlId, field: a.PartfieldIdRef && a.PartfieldIdRef.xmlId, totals, timeLogs: logs });
  }
  console.log(JSON.stringify(result));
}

main().catch((error) => {
  console.log(JSON.stringify({ error: String(error && error.stack || error) }));
  process.exit(1);
});
